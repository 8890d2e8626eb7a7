#include <utility>

#include <windows.h>

#include "base/Failure.h"
#include "platform/RandomAccessFile.h"
#include "platform/WideText.h"

namespace platform {
namespace {

HANDLE handleOf(NativeHandle h) { return reinterpret_cast<HANDLE>(h); }

[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw base::IOError(path + " (" + what + ": " + detail::lastErrorText() + ")");
}

OVERLAPPED at(int64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return o;
}

// ReadFile and WriteFile take at most this many bytes per call here.
constexpr size_t kMaxChunk = 0x40000000;

}  // namespace

RandomAccessFile RandomAccessFile::open(const std::string& path, Mode mode) {
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case Mode::kReadOnly:
      break;
    case Mode::kReadWrite:
      access |= GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
    case Mode::kTruncate:
      access |= GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
  }
  // Shared as a POSIX descriptor is: others may read, write, rename and
  // delete the file while it is open.
  HANDLE h = ::CreateFileW(detail::wideText(path).c_str(), access,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) fail("cannot open", path);
  RandomAccessFile file(reinterpret_cast<NativeHandle>(h), path);
  if (::GetFileType(h) != FILE_TYPE_DISK) throw base::IOError(path + " (not a regular file)");
  return file;
}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : fd_(std::exchange(other.fd_, kNoHandle)), path_(std::move(other.path_)) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
  if (this != &other) {
    if (fd_ != kNoHandle) ::CloseHandle(handleOf(fd_));
    fd_ = std::exchange(other.fd_, kNoHandle);
    path_ = std::move(other.path_);
  }
  return *this;
}

RandomAccessFile::~RandomAccessFile() {
  if (fd_ != kNoHandle) ::CloseHandle(handleOf(fd_));
}

void RandomAccessFile::check() const {
  if (fd_ == kNoHandle) throw base::IOError(path_ + " (file is not open)");
}

int64_t RandomAccessFile::size() const {
  check();
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(handleOf(fd_), &size)) fail("cannot examine", path_);
  return static_cast<int64_t>(size.QuadPart);
}

size_t RandomAccessFile::readAt(int64_t offset, std::span<uint8_t> out) const {
  check();
  size_t got = 0;
  while (got < out.size()) {
    const size_t left = out.size() - got;
    const DWORD chunk = static_cast<DWORD>(left < kMaxChunk ? left : kMaxChunk);
    OVERLAPPED o = at(offset + static_cast<int64_t>(got));
    DWORD n = 0;
    if (!::ReadFile(handleOf(fd_), out.data() + got, chunk, &n, &o)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      fail("cannot read", path_);
    }
    if (n == 0) break;
    got += n;
  }
  return got;
}

void RandomAccessFile::writeAt(int64_t offset, std::span<const uint8_t> data) {
  check();
  size_t done = 0;
  while (done < data.size()) {
    const size_t left = data.size() - done;
    const DWORD chunk = static_cast<DWORD>(left < kMaxChunk ? left : kMaxChunk);
    OVERLAPPED o = at(offset + static_cast<int64_t>(done));
    DWORD n = 0;
    if (!::WriteFile(handleOf(fd_), data.data() + done, chunk, &n, &o)) fail("cannot write", path_);
    if (n == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      fail("cannot write", path_);
    }
    done += n;
  }
}

void RandomAccessFile::truncate(int64_t length) {
  check();
  FILE_END_OF_FILE_INFO info;
  info.EndOfFile.QuadPart = length;
  if (!::SetFileInformationByHandle(handleOf(fd_), FileEndOfFileInfo, &info, sizeof info))
    fail("cannot set the length", path_);
}

void RandomAccessFile::sync() {
  check();
  if (!::FlushFileBuffers(handleOf(fd_))) fail("cannot flush", path_);
}

void RandomAccessFile::close() {
  const NativeHandle fd = std::exchange(fd_, kNoHandle);
  if (fd != kNoHandle && !::CloseHandle(handleOf(fd))) fail("cannot close", path_);
}

}  // namespace platform
