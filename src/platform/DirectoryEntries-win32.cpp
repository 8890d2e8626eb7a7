#include <algorithm>

#include <windows.h>

#include "base/Failure.h"
#include "platform/DirectoryEntries.h"
#include "platform/LauncherWin32.h"
#include "platform/WideText.h"

namespace platform {
namespace detail {

std::wstring nativePath(const std::string& path) {
  std::wstring out = wideText(path);
  std::replace(out.begin(), out.end(), L'/', L'\\');
  return out;
}

}  // namespace detail
namespace {

// While it lives, a drive without a medium fails the calls of this thread
// instead of asking for a disk in a box.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;
  ~QuietDriveErrors() { ::SetThreadErrorMode(previous_, nullptr); }

 private:
  DWORD previous_ = 0;
};

// What a path leads to (links and junctions followed): its kind and identity
// (volume serial number and file index); false when it cannot be opened.
bool describe(const std::wstring& path, DirectoryEntry& entry) {
  HANDLE h = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
  ::CloseHandle(h);
  if (!ok) return false;
  entry.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                   ? DirectoryEntry::Kind::Directory
                   : DirectoryEntry::Kind::File;
  entry.device = info.dwVolumeSerialNumber;
  entry.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace

std::vector<DirectoryEntry> readDirectoryEntries(const std::string& path) {
  QuietDriveErrors quiet;
  std::wstring dir = detail::nativePath(path);
  if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
  WIN32_FIND_DATAW found;
  HANDLE find = ::FindFirstFileExW((dir + L"*").c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return {};  // an empty root has not even "."
    throw base::IOError("Cannot read directory " + path + ": " + detail::systemErrorText(error));
  }
  std::vector<DirectoryEntry> out;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    DirectoryEntry entry;
    entry.name = detail::utf8Text(name);
    const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (directory || link) {
      // Directories need their identity; links what they lead to.
      if (!describe(dir + name, entry)) entry.kind = DirectoryEntry::Kind::Other;
    } else {
      entry.kind = DirectoryEntry::Kind::File;
    }
    out.push_back(std::move(entry));
  } while (::FindNextFileW(find, &found) != 0);
  ::FindClose(find);
  std::sort(out.begin(), out.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return out;
}

std::optional<DirectoryEntry> examinePath(const std::string& path) {
  QuietDriveErrors quiet;
  DirectoryEntry entry;
  entry.name = path;
  if (!describe(detail::nativePath(path), entry)) return std::nullopt;
  return entry;
}

}  // namespace platform
