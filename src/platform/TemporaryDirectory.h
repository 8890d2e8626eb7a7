#pragma once

#include <string>
#include <string_view>

// Folders of the tests and tools that live for a while and are removed with
// everything in them. Paths are as in FileSystem.h.
namespace platform {

// Creates a new, empty directory under the system's folder for temporary
// files (TMPDIR or /tmp on POSIX systems; TMP or TEMP on Windows) whose name
// starts with `prefix` and ends in random characters, readable and writable
// by the current user only where the system has such rights. Returns its
// path. Throws base::IOError when no directory can be created there.
std::string createTemporaryDirectory(std::string_view prefix);

// Removes `path` with everything in it: also entries that are write-protected
// or whose directories the tests made unreadable. A symbolic link (or, on
// Windows, a junction) is removed, never followed. Goes on past entries that
// cannot be removed; returns false when `path` still exists afterwards.
bool removeDirectoryTree(const std::string& path);

// Whether taking the write permission away from a directory keeps this
// process from creating files in it: not for the superuser of a POSIX
// system, nor on Windows, where a folder's read-only attribute does not.
bool directoryWriteProtectionApplies();

}  // namespace platform
