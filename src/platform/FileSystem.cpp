#include "platform/FileSystem.h"

#include <utility>
#include <vector>

#include "base/Failure.h"
#include "platform/FileSystemSide.h"

namespace platform {

void copyFile(const std::string& from, const std::string& to) {
  const std::string part = to + ".part";
  try {
    detail::copyContent(from, part);
  } catch (const base::IOError&) {
    detail::discardFile(part);
    throw;
  }
  if (!replaceFile(part, to)) {
    detail::discardFile(part);
    throw base::IOError("cannot create " + to);
  }
}

std::string detail::resolveDots(const std::string& path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    i = j + 1;
  }
  std::string out;
  for (const auto& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

}  // namespace platform
