#include "programs/vardobf/CommitMarker.h"

#include <algorithm>
#include <limits>
#include <span>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "util/ByteIO.h"
#include "util/Text.h"

namespace programs::vardobf {
namespace {

constexpr std::string_view kHeader = "commit 2";
constexpr std::string_view kEnd = "end";

uint32_t crcOf(const std::string& data) {
  return util::crc32(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
}

// The lines of `text`, each ended by '\n'; none when the last one is not
// ended (a marker cut short).
std::optional<std::vector<std::string_view>> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    if (nl == std::string_view::npos) return std::nullopt;
    lines.push_back(text.substr(0, nl));
    text.remove_prefix(nl + 1);
  }
  return lines;
}

// "<name> <size> <crc32>"; none when the line has another shape.
std::optional<CommitMarker::File> fileOf(std::string_view line) {
  const size_t a = line.find(' ');
  const size_t b = a == std::string_view::npos ? a : line.find(' ', a + 1);
  if (b == std::string_view::npos) return std::nullopt;
  try {
    CommitMarker::File f;
    f.name = std::string(line.substr(0, a));
    f.size = util::parseInt64(line.substr(a + 1, b - a - 1));
    const int64_t crc = util::parseInt64(line.substr(b + 1));
    if (f.size < 0 || crc < 0 || crc > int64_t{std::numeric_limits<uint32_t>::max()})
      return std::nullopt;
    f.crc = static_cast<uint32_t>(crc);
    return f;
  } catch (const base::NumberFormatError&) {
    return std::nullopt;
  }
}

}  // namespace

CommitMarker CommitMarker::describe(const std::string& dir, const std::vector<std::string>& names) {
  CommitMarker m;
  for (const std::string& name : names) {
    const std::string data = platform::os().readFile(dir + name);
    m.files_.push_back({name, static_cast<int64_t>(data.size()), crcOf(data)});
  }
  return m;
}

std::string CommitMarker::encode() const {
  if (legacy_) return std::string(kLegacyText);
  std::string out = std::string(kHeader) + "\n";
  for (const File& f : files_)
    out += f.name + " " + std::to_string(f.size) + " " + std::to_string(f.crc) + "\n";
  return out + std::string(kEnd) + "\n";
}

std::optional<CommitMarker> CommitMarker::decode(std::string_view text,
                                                 const std::vector<std::string>& names) {
  CommitMarker m;
  if (text == kLegacyText) {
    m.legacy_ = true;
    return m;
  }
  const auto lines = linesOf(text);
  if (!lines || lines->size() != names.size() + 2 || lines->front() != kHeader ||
      lines->back() != kEnd)
    return std::nullopt;
  for (size_t i = 1; i + 1 < lines->size(); ++i) {
    auto f = fileOf((*lines)[i]);
    if (!f || std::find(names.begin(), names.end(), f->name) == names.end()) return std::nullopt;
    for (const File& seen : m.files_)
      if (seen.name == f->name) return std::nullopt;
    m.files_.push_back(std::move(*f));
  }
  return m;
}

bool CommitMarker::matches(const std::string& dir) const {
  for (const File& f : files_) {
    const std::string path = dir + f.name;
    if (!platform::os().exists(path)) continue;
    if (platform::os().fileSize(path) != f.size) return false;
    if (crcOf(platform::os().readFile(path)) != f.crc) return false;
  }
  return true;
}

}  // namespace programs::vardobf
