#include <algorithm>
#include <cwchar>

#include <windows.h>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemSide.h"
#include "platform/WideText.h"
#include "platform/Win32Write.h"

namespace platform {
namespace {

using detail::wideText;

std::string errorText(const std::string& what, const std::string& path, DWORD code) {
  return path + " (" + what + ": " + detail::systemErrorText(code) + ")";
}

std::string failureText(const std::string& what, const std::string& path) {
  return errorText(what, path, ::GetLastError());
}

// Owns a file handle; closes it when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  // Closes now and reports whether the close succeeded.
  bool close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h == INVALID_HANDLE_VALUE || ::CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// 100-ns intervals between 1601-01-01 and 1970-01-01 (UTC).
constexpr int64_t kEpochOffset = 116444736000000000LL;

// The attributes of `path`; INVALID_FILE_ATTRIBUTES when it cannot be examined.
DWORD attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(wideText(path).c_str());
}

bool examine(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return !path.empty() &&
         ::GetFileAttributesExW(wideText(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

HANDLE openForReading(const std::string& path) {
  return ::CreateFileW(wideText(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE createForWriting(const std::string& path) {
  return ::CreateFileW(wideText(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                       nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes all of `data` to `h`; throws on failure.
void writeSpan(const Handle& h, const void* data, size_t size, const std::string& path) {
  const DWORD error = detail::writeFully(h.get(), data, size);
  if (error != ERROR_SUCCESS) throw base::IOError(errorText("cannot write", path, error));
}

void writeAll(const std::string& path, std::string_view data, bool durable) {
  Handle h(createForWriting(path));
  if (!h.valid()) throw base::IOError(failureText("cannot create", path));
  writeSpan(h, data.data(), data.size(), path);
  if (durable && !::FlushFileBuffers(h.get()))
    throw base::IOError(failureText("cannot flush", path));
  if (!h.close()) throw base::IOError(failureText("cannot write", path));
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// "\\?\C:\x" -> "C:\x", "\\?\UNC\host\share" -> "\\host\share".
std::wstring withoutLongPrefix(std::wstring p) {
  if (p.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + p.substr(7);
  if (p.rfind(L"\\\\?\\", 0) == 0) return p.substr(4);
  return p;
}

}  // namespace

bool exists(const std::string& path) { return attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool isDirectory(const std::string& path) {
  const DWORD a = attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isFile(const std::string& path) {
  const DWORD a = attributes(path);
  return a != INVALID_FILE_ATTRIBUTES &&
         (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool canWrite(const std::string& path) {
  const DWORD a = attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  const bool directory = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!directory && (a & FILE_ATTRIBUTE_READONLY) != 0) return false;
  // Asking for the right to write (to add a file, for a directory) checks
  // the access rules without changing anything.
  Handle h(::CreateFileW(wideText(path).c_str(), directory ? FILE_ADD_FILE : FILE_WRITE_DATA,
                         kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h.valid();
}

std::vector<std::string> listDirectory(const std::string& path) {
  const DWORD a = attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES)
    throw base::IOError(errorText("cannot list directory", path,
                                  path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError()));
  if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0)
    throw base::IOError(errorText("cannot list directory", path, ERROR_DIRECTORY));
  std::string pattern = path;
  if (!isSeparator(pattern.back())) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAW found;
  HANDLE find = ::FindFirstFileExW(wideText(pattern).c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  std::vector<std::string> names;
  if (find == INVALID_HANDLE_VALUE) {
    // The root of a drive has no "." or "..": nothing there at all.
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    throw base::IOError(failureText("cannot list directory", path));
  }
  do {
    if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0)
      continue;
    names.push_back(detail::utf8Text(found.cFileName));
  } while (::FindNextFileW(find, &found) != 0);
  const DWORD error = ::GetLastError();
  ::FindClose(find);
  if (error != ERROR_NO_MORE_FILES)
    throw base::IOError(errorText("cannot list directory", path, error));
  std::sort(names.begin(), names.end());
  return names;
}

int64_t fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!examine(path, data)) throw base::IOError(failureText("cannot examine", path));
  return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                              data.nFileSizeLow);
}

int64_t lastModifiedMillis(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!examine(path, data)) return 0;
  const int64_t ticks =
      static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime);
  const int64_t since = ticks - kEpochOffset;
  // Floor division, as the POSIX side's seconds and nanoseconds give.
  return since >= 0 ? since / 10000 : -((-since + 9999) / 10000);
}

bool setLastModifiedMillis(const std::string& path, int64_t millis) {
  if (path.empty()) return false;
  const int64_t ticks = millis * 10000 + kEpochOffset;
  if (ticks < 0) return false;  // before 1601: not a Windows file time
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  Handle h(::CreateFileW(wideText(path).c_str(), FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h.valid() && ::SetFileTime(h.get(), nullptr, nullptr, &ft) != 0;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
  return ::MoveFileExW(wideText(from).c_str(), wideText(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  return ::MoveFileExW(wideText(from).c_str(), wideText(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removePath(const std::string& path) {
  if (path.empty()) return false;
  const std::wstring wide = wideText(path);
  if (isDirectory(path)) return ::RemoveDirectoryW(wide.c_str()) != 0;
  return ::DeleteFileW(wide.c_str()) != 0;
}

bool makeDirectory(const std::string& path) {
  return !path.empty() && ::CreateDirectoryW(wideText(path).c_str(), nullptr) != 0;
}

void ensureDirectory(const std::string& path) {
  if (isDirectory(path)) return;
  // Another process may create it between the two checks: still a success.
  if (!makeDirectory(path) && !isDirectory(path))
    throw base::IOError(failureText("cannot create directory", path));
}

std::string readFile(const std::string& path) {
  Handle h(openForReading(path));
  if (!h.valid()) throw base::IOError(failureText("cannot open", path));
  if (::GetFileType(h.get()) != FILE_TYPE_DISK) throw base::IOError(path + " (not a regular file)");
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(h.get(), &size)) throw base::IOError(failureText("cannot examine", path));
  std::string data;
  data.resize(static_cast<size_t>(size.QuadPart));
  size_t got = 0;
  for (;;) {
    if (got == data.size()) data.resize(data.size() + 65536);  // the file grew meanwhile
    const size_t left = data.size() - got;
    DWORD n = 0;
    if (!::ReadFile(h.get(), data.data() + got,
                    static_cast<DWORD>(left < 0x40000000 ? left : 0x40000000), &n, nullptr))
      throw base::IOError(failureText("cannot read", path));
    if (n == 0) break;
    got += n;
  }
  data.resize(got);
  return data;
}

void writeFile(const std::string& path, std::string_view data) { writeAll(path, data, false); }

void writeFileDurable(const std::string& path, std::string_view data) {
  writeAll(path, data, true);
}

void syncDirectory(const std::string& dir) {
  const std::string d = dir.empty() ? "." : dir;
  const std::wstring wide = wideText(d);
  // FILE_FLAG_BACKUP_SEMANTICS opens files as well as directories.
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw base::IOError(failureText("cannot open directory", d));
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    throw base::IOError(errorText("cannot open directory", d, ERROR_DIRECTORY));
  Handle h(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) {
    // Flushing a directory needs write access to it, which a user may lack
    // where he may still create files; then only its existence is checked.
    // The entries themselves are flushed by the renames (MOVEFILE_WRITE_THROUGH).
    Handle r(::CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!r.valid()) throw base::IOError(failureText("cannot open directory", d));
    return;
  }
  if (!::FlushFileBuffers(h.get())) {
    const DWORD error = ::GetLastError();
    // File systems that cannot flush a directory keep its entries durable
    // without it.
    if (error != ERROR_INVALID_FUNCTION && error != ERROR_ACCESS_DENIED &&
        error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED)
      throw base::IOError(errorText("cannot flush directory", d, error));
  }
}

void detail::copyContent(const std::string& from, const std::string& part) {
  Handle in(openForReading(from));
  if (!in.valid()) throw base::IOError(failureText("cannot open", from));
  if (::GetFileType(in.get()) != FILE_TYPE_DISK)
    throw base::IOError(from + " (not a regular file)");
  Handle out(createForWriting(part));
  if (!out.valid()) throw base::IOError(failureText("cannot create", part));
  std::vector<char> buf(size_t{1} << 20);
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(in.get(), buf.data(), static_cast<DWORD>(buf.size()), &n, nullptr))
      throw base::IOError(failureText("cannot read", from));
    if (n == 0) break;
    writeSpan(out, buf.data(), n, part);
  }
  if (!::FlushFileBuffers(out.get())) throw base::IOError(failureText("cannot flush", part));
  if (!out.close()) throw base::IOError(failureText("cannot write", part));
}

void detail::discardFile(const std::string& path) { ::DeleteFileW(wideText(path).c_str()); }

std::string canonicalPath(const std::string& path) {
  const std::wstring wide = wideText(path.empty() ? "." : path);
  // An existing file or directory: its final path, links resolved.
  Handle h(::CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (h.valid()) {
    DWORD n = ::GetFinalPathNameByHandleW(h.get(), nullptr, 0, FILE_NAME_NORMALIZED);
    if (n > 0) {
      std::wstring out(n, L'\0');
      n = ::GetFinalPathNameByHandleW(h.get(), out.data(), n, FILE_NAME_NORMALIZED);
      if (n > 0 && n < out.size()) {
        out.resize(n);
        return detail::utf8Text(withoutLongPrefix(out));
      }
    }
  }
  // Otherwise the absolute form, "." and ".." resolved textually.
  DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring out(n, L'\0');
  n = ::GetFullPathNameW(wide.c_str(), n, out.data(), nullptr);
  if (n == 0 || n >= out.size()) return path;
  out.resize(n);
  return detail::utf8Text(out);
}

std::string baseName(const std::string& path) {
  size_t end = path.size();
  while (end > 1 && isSeparator(path[end - 1])) --end;
  size_t slash = path.find_last_of("\\/", end - 1);
  if (slash == std::string::npos) return path.substr(0, end);
  return path.substr(slash + 1, end - slash - 1);
}

}  // namespace platform
