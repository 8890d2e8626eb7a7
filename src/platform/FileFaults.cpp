#include "platform/FileFaults.h"

#include <cerrno>

namespace platform {
namespace {

FileFaults* installed = nullptr;

}  // namespace

void FileFaults::install(FileFaults* faults) { installed = faults; }

bool FileFaults::injected(Op op, const std::string& path) {
  if (installed == nullptr || !installed->fails(op, path)) return false;
  errno = EIO;
  return true;
}

}  // namespace platform
