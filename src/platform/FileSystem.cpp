#include "platform/FileSystem.h"

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

}  // namespace platform
