#include "programs/vardo/SiteFiles.h"

#include <string_view>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"

namespace programs::vardo {
namespace {

constexpr char kSep = platform::kSeparator;

bool isSeparator(char c) {
  return std::string_view(platform::kSeparators).find(c) != std::string_view::npos;
}

std::string withoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && isSeparator(path.back())) path.pop_back();
  return path;
}

int32_t copyMissing(const std::string& from, const std::string& to,
                    const std::set<std::string>& leaveOut) {
  SiteFiles::makeDirectories(to);
  int32_t copied = 0;
  for (const std::string& name : platform::os().listDirectory(from)) {
    if (leaveOut.count(name) != 0) continue;
    const std::string source = from + kSep + name;
    const std::string target = to + kSep + name;
    if (platform::os().isDirectory(source)) {
      copied += copyMissing(source, target, {});
      continue;
    }
    // Anything already there, whatever it is, belongs to the user.
    if (!platform::os().isFile(source) || platform::os().exists(target)) continue;
    const std::string part = target + ".part";
    platform::os().writeFile(part, platform::os().readFile(source));
    if (!platform::os().renameNoReplace(part, target)) {
      const bool removed = platform::os().removePath(part);
      // Another run may have laid the same file in meanwhile.
      if (!platform::os().isFile(target)) throw base::IOError("cannot create " + target);
      if (!removed) throw base::IOError("cannot delete " + part);
      continue;
    }
    ++copied;
  }
  return copied;
}

}  // namespace

std::string SiteFiles::installedDir(const std::string& installHome) {
  std::string dir = withoutTrailingSeparators(installHome) + kSep + ".." + kSep + "share" + kSep +
                    "vardobf" + kSep + "html";
  return platform::os().isDirectory(dir) ? platform::os().canonicalPath(dir) : dir;
}

int32_t SiteFiles::layInto(const std::string& from, const std::string& to,
                           const std::set<std::string>& leaveOut) {
  return copyMissing(withoutTrailingSeparators(from), withoutTrailingSeparators(to), leaveOut);
}

const std::set<std::string>& SiteFiles::explorerFiles() {
  static const std::set<std::string> files = {"Explorer.html", "explorer.js", "explorer.css"};
  return files;
}

void SiteFiles::makeDirectories(const std::string& dir) {
  const std::string path = withoutTrailingSeparators(dir);
  if (path.empty() || platform::os().isDirectory(path)) return;
  const size_t slash = path.find_last_of(platform::kSeparators);
  if (slash != std::string::npos && slash > 0) makeDirectories(path.substr(0, slash));
  // A concurrent run may create it between the test and the call.
  if (!platform::os().makeDirectory(path) && !platform::os().isDirectory(path))
    throw base::IOError("cannot create the directory " + path);
}

}  // namespace programs::vardo
