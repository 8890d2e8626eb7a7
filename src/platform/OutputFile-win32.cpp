#include <windows.h>

#include "platform/OutputFile.h"
#include "platform/WideText.h"
#include "platform/Win32Write.h"

namespace platform {

std::unique_ptr<OutputFile> OutputFile::open(const std::string& path, Mode mode) {
  if (path.empty()) return nullptr;
  HANDLE h = ::CreateFileW(
      detail::wideText(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
      mode == Mode::kCreateNew ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<OutputFile>(Token(), reinterpret_cast<NativeHandle>(h));
}

OutputFile::~OutputFile() {
  if (fd_ != kNoHandle) ::CloseHandle(reinterpret_cast<HANDLE>(fd_));
}

bool OutputFile::write(const uint8_t* data, size_t size) {
  if (fd_ == kNoHandle) return false;
  return detail::writeFully(reinterpret_cast<HANDLE>(fd_), data, size) == ERROR_SUCCESS;
}

bool OutputFile::close() {
  const NativeHandle fd = fd_;
  fd_ = kNoHandle;
  return fd == kNoHandle || ::CloseHandle(reinterpret_cast<HANDLE>(fd));
}

}  // namespace platform
