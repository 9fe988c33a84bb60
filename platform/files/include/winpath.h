// Windows file names (backslashes, any letter case) on the Linux file system.
// Every loader of the demo and of the stand-ins goes through ResolveWindowsPath.
#pragma once
#include <cstdio>
#include <string>

// Turns "Textures\wall.BMP" into the path of the file that exists, matching each
// component without regard to letter case. Components that match nothing are kept
// as written, so a file about to be created keeps its given name.
std::string ResolveWindowsPath(const char* path);

// fopen on the resolved path; nullptr for a null path.
FILE* OpenWindowsFile(const char* path, const char* mode);
