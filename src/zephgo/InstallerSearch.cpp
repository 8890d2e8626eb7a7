#include "zephgo/InstallerSearch.h"

#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Failure.h"
#include "base/Text.h"
#include "platform/DirectoryEntries.h"
#include "platform/FileSystem.h"

namespace zephgo {
namespace {

using platform::DirectoryEntry;
using Identity = std::pair<uint64_t, uint64_t>;

constexpr char lower(char c) { return base::asciiLower(c); }

// dir + the system's separator + name; a root such as "D:\\" or "/" keeps
// its own separator.
std::string join(const std::string& dir, const std::string& name) {
  const bool endsInSeparator =
      !dir.empty() &&
      std::string_view(platform::kSeparators).find(dir.back()) != std::string_view::npos;
  return endsInSeparator ? dir + name : dir + platform::kSeparator + name;
}

}  // namespace

bool isInstallerName(std::string_view name) {
  static constexpr std::string_view kPattern = "zeph????.exe";
  if (name.size() != kPattern.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (kPattern[i] != '?' && lower(name[i]) != kPattern[i]) return false;
  return true;
}

std::optional<std::string> findInstaller(const std::string& root) {
  auto top = platform::examinePath(root);
  if (!top || top->kind != DirectoryEntry::Kind::Directory) return std::nullopt;
  std::set<Identity> seen{{top->device, top->inode}};
  // Directories still to search, the next one last; an explicit stack keeps
  // deep trees off the call stack.
  std::vector<std::string> pending{root};
  while (!pending.empty()) {
    std::string dir = std::move(pending.back());
    pending.pop_back();
    std::vector<DirectoryEntry> entries;
    try {
      entries = platform::readDirectoryEntries(dir);
    } catch (const base::Failure&) {
      continue;
    }
    std::vector<std::string> subdirs;
    for (const auto& e : entries) {
      if (e.name.empty() || e.name.front() == '.') continue;
      if (e.kind == DirectoryEntry::Kind::File && isInstallerName(e.name)) return join(dir, e.name);
      if (e.kind == DirectoryEntry::Kind::Directory && e.name != "Recycled" &&
          seen.insert({e.device, e.inode}).second)
        subdirs.push_back(join(dir, e.name));
    }
    for (auto it = subdirs.rbegin(); it != subdirs.rend(); ++it) pending.push_back(std::move(*it));
  }
  return std::nullopt;
}

std::optional<std::string> searchDrives(platform::CdDrives& drives) {
  for (const auto& root : drives.roots())
    if (auto found = findInstaller(root)) return found;
  return std::nullopt;
}

}  // namespace zephgo
