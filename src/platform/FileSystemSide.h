#pragma once

// Internal to the platform layer: what the portable part of FileSystem.cpp
// asks of each platform's side.

#include <string>

namespace platform::detail {

// Copies the content of the regular file `from` into `part` (created or
// emptied) and flushes it to the disk. Throws base::IOError.
void copyContent(const std::string& from, const std::string& part);
// Deletes a file, ignoring every failure (no fault injection either).
void discardFile(const std::string& path);

}  // namespace platform::detail
