#pragma once
#include <string>
struct FolderList { std::string path; };
