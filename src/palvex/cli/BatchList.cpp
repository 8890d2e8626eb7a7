#include "palvex/cli/BatchList.h"

#include <cstdio>

#include "base/Failure.h"
#include "base/Text.h"
#include "platform/FileSystem.h"
#include "util/Text.h"

namespace palvex::cli {
namespace {

constexpr char lower(char c) { return base::asciiLower(c); }

// Splits "dir/name" into "dir/" and "name" (at either separator of Windows).
std::pair<std::string, std::string> split(const std::string& given) {
  const size_t slash = given.find_last_of(platform::kSeparators);
  if (slash == std::string::npos) return {"", given};
  return {given.substr(0, slash + 1), given.substr(slash + 1)};
}

// The regular files of `dir` whose names match `pattern`, in listing order.
std::vector<std::string> matches(const std::string& dir, const std::string& pattern) {
  std::vector<std::string> out;
  std::vector<std::string> names;
  try {
    names = platform::listDirectory(dir.empty() ? "." : dir);
  } catch (const base::Failure&) {
    return out;
  }
  for (const auto& n : names)
    if (BatchList::wildcardMatch(pattern, n) && platform::isFile(dir + n)) out.push_back(n);
  return out;
}

Image record(const std::string& dir, const std::string& name) {
  Image im;
  im.inputName = dir + name;
  im.spareName = name;
  return im;
}

}  // namespace

bool BatchList::wildcardMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool BatchList::collect(const Settings& settings, Batch& batch) {
  const auto [dir, pattern] = split(settings.input);
  const bool wild = pattern.find_first_of("*?") != std::string::npos;
  if (!wild) {
    batch.batchMode = false;
    // A name that differs from the listed one only in case takes the
    // listed spelling.
    std::string name = pattern;
    if (!platform::isFile(settings.input)) {
      const auto found = matches(dir, pattern);
      if (found.size() == 1) name = found[0];
    }
    batch.records.push_back(record(dir, name));
    return true;
  }
  batch.batchMode = true;
  std::printf(" Starting batch processing: \n");
  const auto found = matches(dir, pattern);
  for (size_t i = 0; i < found.size() && i < kMaxFiles; ++i) {
    std::printf("Queued for processing: %d %s  \n", static_cast<int>(i), found[i].c_str());
    batch.records.push_back(record(dir, found[i]));
  }
  if (found.empty()) {
    std::printf("Sorry, no files match the wildcard specifications. \n");
    return false;
  }
  if (found.size() > kMaxFiles)
    std::printf(" Too many files: %d match, only the first %d are processed. \n",
                static_cast<int>(found.size()), static_cast<int>(kMaxFiles));
  if (batch.records.size() > 1)
    std::printf("Starting processing of %d files.\n", static_cast<int>(batch.records.size()));
  return true;
}

}  // namespace palvex::cli
