#include <cstdint>
#include <random>

#include <windows.h>

#include "base/Failure.h"
#include "platform/TemporaryDirectory.h"
#include "platform/WideText.h"

namespace platform {
namespace {

using detail::wideText;

// Removes everything below the directory `dir` (a wide path without a
// trailing separator), then the directory itself.
void removeTree(const std::wstring& dir) {
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &entry,
                                   FindExSearchNameMatch, nullptr, 0);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = dir + L"\\" + name;
      const DWORD attributes = entry.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(path.c_str(),
                             attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
      }
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileW(path.c_str());
      } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        ::RemoveDirectoryW(path.c_str());  // the link, not what it points to
      } else {
        removeTree(path);
      }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(dir.c_str());
}

}  // namespace

std::string createTemporaryDirectory(std::string_view prefix) {
  std::wstring folder(MAX_PATH + 1, L'\0');
  DWORD n = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  if (n > folder.size()) {
    folder.resize(n);
    n = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  }
  if (n == 0 || n > folder.size()) {
    throw base::IOError("cannot find the folder for temporary files: " + detail::lastErrorText());
  }
  folder.resize(n);
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';

  std::random_device seed;
  std::mt19937_64 random((static_cast<uint64_t>(seed()) << 32) ^ seed() ^ ::GetTickCount64() ^
                         ::GetCurrentProcessId());
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name(prefix);
    for (int i = 0; i < 8; ++i) name += kDigits[random() % 36];
    const std::wstring path = folder + wideText(name);
    if (::CreateDirectoryW(path.c_str(), nullptr)) return detail::utf8Text(path);
    error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) break;
  }
  throw base::IOError(detail::utf8Text(folder) + " (cannot create a temporary directory: " +
                      detail::systemErrorText(error) + ")");
}

bool removeDirectoryTree(const std::string& path) {
  const std::wstring wide = wideText(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ::SetFileAttributesW(wide.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::DeleteFileW(wide.c_str());
  } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    ::RemoveDirectoryW(wide.c_str());
  } else {
    std::wstring dir = wide;
    while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    removeTree(dir);
  }
  return ::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// A folder's read-only attribute leaves the files in it writable and new
// ones creatable.
bool directoryWriteProtectionApplies() { return false; }

}  // namespace platform
