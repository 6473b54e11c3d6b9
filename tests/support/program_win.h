// What the tests of the program's Win32 code and its end-to-end tests
// share about the program without linking it: its working folder and a
// window for code that needs one.
#pragma once

#include <windows.h>

#include <string>

namespace qbtest {

// The working folder the program sets up for this user.
std::string programWorkFolder();

// A plain top-level window of the test's own class, never shown, for code
// that needs a window to draw for.
HWND testWindow();

}  // namespace qbtest
