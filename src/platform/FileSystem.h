#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The file-system calls of the programs. Every call into the operating system
// for files and directories goes through here.
//
// Paths are 8-bit strings. On POSIX systems they are the bytes of the name as
// they stand. On Windows they are UTF-8 and are converted to the system's
// UTF-16 names at this seam (a path that is not valid UTF-8 is read in the
// ANSI code page instead); names that come back, as from listDirectory() or
// canonicalPath(), are UTF-8. Both "\\" and "/" separate names there.
namespace platform {

// The platform's name separator, used where a rule says "separator".
// kSeparators: every character that separates names in a path ("\\" and
// "/" on Windows), for splitting paths that a user typed.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr const char* kSeparators = "\\/";
#else
inline constexpr char kSeparator = '/';
inline constexpr const char* kSeparators = "/";
#endif

[[nodiscard]] bool exists(const std::string& path);
[[nodiscard]] bool isDirectory(const std::string& path);
[[nodiscard]] bool isFile(const std::string& path);
// True when the current user may write the file or directory.
[[nodiscard]] bool canWrite(const std::string& path);

// Names of the entries of a directory (without "." and ".."), in byte order of
// their names so that every run sees the same order. Throws base::IOError when
// the path is not a readable directory.
std::vector<std::string> listDirectory(const std::string& path);

// Size in bytes; throws base::IOError when the file cannot be examined.
int64_t fileSize(const std::string& path);
// Last modification, wall-clock milliseconds since 1970; 0 when unknown.
int64_t lastModifiedMillis(const std::string& path);
// Sets the last modification time (used by tests and tools).
[[nodiscard]] bool setLastModifiedMillis(const std::string& path, int64_t millis);

// Renames `from` to `to`. Never replaces an existing `to`: returns false when
// `to` exists or the rename fails for any other reason.
[[nodiscard]] bool renameNoReplace(const std::string& from, const std::string& to);
// Atomically replaces `to` with `from` (both in one directory). Returns false
// on failure.
[[nodiscard]] bool replaceFile(const std::string& from, const std::string& to);
// Deletes a file or an empty directory; false when it could not be deleted.
[[nodiscard]] bool removePath(const std::string& path);
// Creates one directory level; false when it exists or cannot be created.
[[nodiscard]] bool makeDirectory(const std::string& path);
// Creates one directory level unless `path` is a directory already. Throws
// base::IOError when `path` is not a directory afterwards.
void ensureDirectory(const std::string& path);

// Reads the whole file in one piece. Throws base::IOError.
std::string readFile(const std::string& path);
// Writes (creating or truncating) the whole file. Throws base::IOError.
void writeFile(const std::string& path, std::string_view data);

// Writes the whole file and flushes it to disk before returning. Throws
// base::IOError.
void writeFileDurable(const std::string& path, std::string_view data);
// Flushes a directory's entries (names created, renamed or removed) to disk;
// `dir` empty means the current directory. Throws base::IOError when the
// directory cannot be opened or flushed (a file system that cannot flush
// directories at all keeps its entries durable without it: no failure).
void syncDirectory(const std::string& dir);

// Copies the file `from` to `to`, replacing `to`: the copy is written under
// `to` + ".part", flushed to disk and renamed over `to`, so that `to` is
// never seen half written. Throws base::IOError when `from` cannot be read
// or the copy cannot be written or put in place; the ".part" file is removed
// then and an existing `to` is left as it was.
void copyFile(const std::string& from, const std::string& to);

// The absolute form of `path` with symbolic links, "." and ".." resolved;
// the absolute form of a path that does not exist is built textually.
std::string canonicalPath(const std::string& path);

// The last component of a path.
std::string baseName(const std::string& path);

}  // namespace platform
