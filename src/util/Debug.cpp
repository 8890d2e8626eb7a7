#include "util/Debug.h"

#include <memory>

#include "base/Failure.h"
#include "platform/AppendFile.h"
#include "platform/FileSystem.h"
#include "util/Console.h"
#include "util/Text.h"

namespace util {
namespace {

int32_t gLevel = 0;
int32_t gType = Debug::kStdOut;
// The open trace file; every line reaches the file as it is printed.
std::unique_ptr<platform::AppendFile> gOut;

void fileLine(std::string_view text) {
  if (!gOut) return;
  std::string line;
  line.reserve(text.size() + 1);
  line.append(text);
  line += '\n';
  if (!gOut->write(line))
    throw base::IOError("cannot write the trace file (" + gOut->error() + ")");
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
    std::string error;
    auto f = platform::AppendFile::open(path, fresh, error);
    if (!f) throw base::IOError(path + " (" + error + ")");
    gOut = std::move(f);
  } catch (const std::exception& e) {
    gOut.reset();
    printLine("Debug.open : " + base::failureText(e));
  }
}

void Debug::close() {
  if (!gOut) return;
  std::unique_ptr<platform::AppendFile> f = std::move(gOut);
  if (!f->close())
    printLine("Debug.close : IOError: cannot close the trace file (" + f->error() + ")");
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
