#pragma once

#include <string>

namespace tools {

// The statistics database of `dir` (ending with "/") as one JSON document:
// the player database header and entries (named from the hash database), the
// counted matches, the player summaries and the record holders. Problems are
// traced; missing files appear as null.
std::string dumpDatabase(const std::string& dir);

}  // namespace tools
