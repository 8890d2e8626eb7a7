#pragma once

// Internal to the platform layer: what the portable part of FileSystem.cpp
// asks of each platform's side, and what it gives the sides.

#include <string>

namespace platform::detail {

// Copies the content of the regular file `from` into `part` (created or
// emptied) and flushes it to the disk. Throws base::IOError.
void copyContent(const std::string& from, const std::string& part);
// Deletes a file, ignoring every failure.
void discardFile(const std::string& path);

// The "/"-separated path `path` with "." and ".." resolved in the text alone
// ("/" for nothing left; ".." above the top stays at the top).
std::string resolveDots(const std::string& path);

}  // namespace platform::detail
