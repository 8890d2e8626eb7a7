#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "palvex/Image.h"
#include "palvex/cli/Settings.h"

namespace palvex::cli {

// The files of a run: one, or every directory entry matching a wildcard.
struct Batch {
  std::vector<Image> records;
  bool batchMode = false;
};

class BatchList {
 public:
  // The batch table holds this many files; further matches are left out
  // with a message.
  static constexpr size_t kMaxFiles = 1024;

  // Queues the files of `settings.input`, printing the batch messages.
  // Returns false when a wildcard matches nothing (the run ends).
  static bool collect(const Settings& settings, Batch& batch);

  // "*" matches any run of characters, "?" any one; letters match without
  // regard to case, as names are matched where the tool comes from.
  static bool wildcardMatch(std::string_view pattern, std::string_view name);
};

}  // namespace palvex::cli
