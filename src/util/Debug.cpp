#include "util/Debug.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/FileSystem.h"
#include "util/Console.h"
#include "base/Failure.h"
#include "util/Text.h"

namespace util {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

int32_t gLevel = 0;
int32_t gType = Debug::kStdOut;
FilePtr gOut;  // the open trace file; every line is flushed at once

void fileLine(std::string_view text) {
  if (!gOut) return;
  std::FILE* f = gOut.get();
  if (std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fputc('\n', f) == EOF ||
      std::fflush(f) != 0) {
    clearerr(f);
    throw base::IOError(std::string("cannot write the trace file (") + std::strerror(errno) + ")");
  }
}

}  // namespace

void Debug::print(std::string_view text, int32_t severity) {
  try {
    if (gType == kNone || gLevel < severity) return;
    if (gType == kStdOut || gType == kBoth) printLine(text);
    if (gType == kFile || gType == kBoth) fileLine(text);
  } catch (const std::exception& e) {
    printLine("Debug.print : " + base::failureText(e));
  }
}

void Debug::setLevel(int32_t l) {
  if (l >= 0) gLevel = l;
}

void Debug::setType(std::string_view tp, const std::string& dir) {
  try {
    if (equalsIgnoreCase(tp, "StdOut")) {
      gType = kStdOut;
      close();
    } else if (equalsIgnoreCase(tp, "File")) {
      gType = kFile;
      open(dir);
    } else if (equalsIgnoreCase(tp, "Both")) {
      gType = kBoth;
      open(dir);
    } else if (equalsIgnoreCase(tp, "None")) {
      gType = kNone;
      close();
    }
  } catch (const std::exception& e) {
    gOut.reset();
    printLine("Debug.setType : " + base::failureText(e));
  }
}

void Debug::open(const std::string& dir) {
  if (gOut) return;
  try {
    std::string path =
        platform::isDirectory(dir) ? dir + "/" + kFileName : std::string("./") + kFileName;
    bool fresh = platform::isFile(path) && platform::fileSize(path) > kMaxFileSize;
    FilePtr f(std::fopen(path.c_str(), fresh ? "wb" : "ab"));
    if (!f) throw base::IOError(path + " (" + std::strerror(errno) + ")");
    gOut = std::move(f);
  } catch (const std::exception& e) {
    gOut.reset();
    printLine("Debug.open : " + base::failureText(e));
  }
}

void Debug::close() {
  if (!gOut) return;
  std::FILE* f = gOut.release();
  if (std::fclose(f) != 0)
    printLine(std::string("Debug.close : IOError: cannot close the trace file (") +
              std::strerror(errno) + ")");
}

int32_t Debug::level() { return gLevel; }
int32_t Debug::type() { return gType; }
bool Debug::isOpen() { return static_cast<bool>(gOut); }

void Debug::reset() {
  close();
  gLevel = 0;
  gType = kStdOut;
}

}  // namespace util
