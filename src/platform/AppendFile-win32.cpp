#include <windows.h>

#include "platform/AppendFile.h"
#include "platform/WideText.h"
#include "platform/Win32Write.h"

namespace platform {
namespace {

HANDLE handleOf(NativeHandle h) { return reinterpret_cast<HANDLE>(h); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::unique_ptr<AppendFile> AppendFile::open(const std::string& path, bool fresh,
                                             std::string& error) {
  if (path.empty()) {
    error = detail::systemErrorText(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  const std::wstring wide = detail::wideText(path);
  if (fresh) {
    // Emptying needs write access to the data; the appending handle below
    // has only the right to append.
    HANDLE t = ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (t == INVALID_HANDLE_VALUE) {
      error = detail::lastErrorText();
      return nullptr;
    }
    ::CloseHandle(t);
  }
  // With FILE_APPEND_DATA and no FILE_WRITE_DATA every write goes to the
  // end of the file, whoever else appends.
  HANDLE h = ::CreateFileW(wide.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = detail::lastErrorText();
    return nullptr;
  }
  return std::make_unique<AppendFile>(Token(), reinterpret_cast<NativeHandle>(h));
}

AppendFile::~AppendFile() {
  if (fd_ != kNoHandle) ::CloseHandle(handleOf(fd_));
}

bool AppendFile::write(std::string_view data) {
  if (fd_ == kNoHandle) {
    error_ = detail::systemErrorText(ERROR_INVALID_HANDLE);
    return false;
  }
  const DWORD error = detail::writeFully(handleOf(fd_), data.data(), data.size());
  if (error != ERROR_SUCCESS) {
    error_ = detail::systemErrorText(error);
    return false;
  }
  return true;
}

bool AppendFile::close() {
  const NativeHandle fd = fd_;
  fd_ = kNoHandle;
  if (fd == kNoHandle || ::CloseHandle(handleOf(fd))) return true;
  error_ = detail::lastErrorText();
  return false;
}

}  // namespace platform
