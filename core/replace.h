// Writing a file without ever leaving a broken one: the new content goes
// into a temporary file of its own in the target's folder and is moved over
// the target only once complete, because
//   - a failing encoder, conversion or disk must not leave a half-written or
//     truncated file where the user's confirmed target was;
//   - the target may be a file that is still open elsewhere (the shown
//     picture): a refused move leaves it whole, where writing into it could
//     destroy it while failing;
//   - the same folder means the same volume, so the move is a rename.
// Every save of the program, the conversion library and the tools write
// through here. Paths are std::filesystem paths: UTF-16 on Windows, so any
// file name the system can hold is written exactly.
#pragma once

#include <cstddef>
#include <filesystem>

// A new, empty, uniquely named file in the folder of target (the current
// folder for a bare name), with a name short enough that its path fits
// wherever the target's does; its path goes to temp. False, with temp
// empty, when none could be made, and when target is a read-only file:
// that is never replaced, on any system.
bool makeSiblingTemp(const std::filesystem::path& target, std::filesystem::path* temp);

// Moves the finished temp file over target in one step. On failure (a
// read-only target included) the temp file is deleted and target is left
// as it was.
bool replaceWithTemp(const std::filesystem::path& temp, const std::filesystem::path& target);

// Whether a file could be written at target now: its folder exists and
// takes a new file, and target is not read-only. Nothing is left behind.
bool isWritableTarget(const std::filesystem::path& target);

// Deletes a temp file that will not be used.
void removeTemp(const std::filesystem::path& temp);

// Writes size bytes to target through a temp file as above.
bool writeFileReplacing(const std::filesystem::path& target, const void* bytes, size_t size);
