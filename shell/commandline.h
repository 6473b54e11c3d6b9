// The program's command line is one picture path. Pure code.
#pragma once

#include <cstddef>

// Copies the path the command line names into out (capacity units, with the
// terminator). The whole line is the path, except that a line wrapped in
// double quotes (as shells pass paths with spaces) yields the text inside
// them. Returns 1 when a path was taken, 0 for an empty line, -1 when the
// path does not fit (out is then the empty string, never a cut path that
// would name another file).
int takeCommandLinePath(const wchar_t* commandLine, wchar_t* out, size_t capacity);
