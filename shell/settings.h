// Fixed settings of the program (nothing is stored between runs).
#pragma once

#include "quobixlens_version.h"  // QB_VERSION, made from the build's version

// The maker's support page, opened by the help menu's web page command.
#define QB_SUPPORT_PAGE L"https://quobixlens.example.org/support/"

// The about box: the program and version, the build (the release's own
// version, the same as the files' VERSIONINFO) with its product code, and
// the maker.
#define QB_ABOUT_TEXT                                              \
  L"クオビクス Version1.51\r\n"                                      \
  "Build: quobixlens " QB_VERSION " (product code QBXL-0151-JA)\r\n" \
  "Made by the quobixlens developers"
