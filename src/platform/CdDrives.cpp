#include "platform/CdDrives.h"

#include "base/Failure.h"
#include "platform/FileSystem.h"

namespace platform {
namespace {

// Undoes the octal escapes the kernel writes for blanks, tabs, newlines and
// backslashes in mount table fields ("\040" is a space).
std::string unescapeField(std::string_view s) {
  std::string out;
  auto oct = [&](size_t k) { return s[k] >= '0' && s[k] <= '7'; };
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && oct(i + 1) && oct(i + 2) && oct(i + 3)) {
      int v = (s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0');
      if (v < 256) {
        out += static_cast<char>(v);
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

}  // namespace

SystemCdDrives::SystemCdDrives(const char* override, std::string mountTable)
    : haveOverride_(override != nullptr),
      override_(override != nullptr ? override : ""),
      mountTable_(std::move(mountTable)) {}

std::vector<std::string> SystemCdDrives::roots() {
  if (haveOverride_) return splitList(override_);
  try {
    return opticalMounts(readFile(mountTable_));
  } catch (const base::Failure&) {
    return {};  // no mount table: no drives
  }
}

std::vector<std::string> SystemCdDrives::opticalMounts(std::string_view text) {
  std::vector<std::string> out;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    auto f = fields(line);
    if (f.size() < 3) continue;
    if (f[2] == "iso9660" || f[2] == "udf") out.push_back(unescapeField(f[1]));
  }
  return out;
}

std::vector<std::string> SystemCdDrives::splitList(std::string_view list) {
  std::vector<std::string> out;
  while (true) {
    size_t colon = list.find(':');
    std::string_view item = list.substr(0, colon);
    if (!item.empty()) out.emplace_back(item);
    if (colon == std::string_view::npos) break;
    list.remove_prefix(colon + 1);
  }
  return out;
}

}  // namespace platform
