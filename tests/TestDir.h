#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/StreamRedirect.h"
#include "platform/TemporaryDirectory.h"

namespace testing_support {

// base + the system's separator + name, with the system's own separator
// ("\\" on Windows) in place of every "/", as the programs write their paths.
inline std::string systemPath(const std::string& base, const std::string& name) {
  std::string path = base + platform::kSeparator + name;
  for (char& c : path)
    if (c == '/') c = platform::kSeparator;
  return path;
}

// The folders to make for the folder `name` (which may hold "/"): each one
// on the way, then `name` itself.
inline std::vector<std::string> foldersOf(const std::string& name) {
  std::vector<std::string> folders;
  for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
    if (slash > 0) folders.push_back(name.substr(0, slash));
  folders.push_back(name);
  return folders;
}

// A fresh temporary directory, removed with everything in it at the end of
// the test.
class TestDir {
 public:
  TestDir() : path_(platform::createTemporaryDirectory("brim")) {}
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;
  ~TestDir() { platform::removeDirectoryTree(path_); }
  const std::string& path() const { return path_; }
  // path() + "/" + name, with the system's own separator ("\\" on Windows)
  // in place of every "/", as the programs write their paths.
  std::string operator/(const std::string& name) const { return systemPath(path_, name); }
  // path() + the system's separator + rest, with rest as it stands: the
  // path a program makes of its home and a name from its settings.
  std::string inside(const std::string& rest) const { return path_ + platform::kSeparator + rest; }
  std::string write(const std::string& name, const std::string& data) const {
    std::string p = *this / name;
    platform::writeFile(p, data);
    return p;
  }
  // write(), making the folders on the way first.
  std::string put(const std::string& name, const std::string& data) const {
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos && slash > 0) mkdir(name.substr(0, slash));
    return write(name, data);
  }
  std::string read(const std::string& name) const { return platform::readFile(*this / name); }
  // Creates the directory `name` (which may hold "/") with the ones above it.
  std::string mkdir(const std::string& name) const {
    for (const std::string& folder : foldersOf(name)) platform::ensureDirectory(*this / folder);
    return *this / name;
  }

 private:
  std::string path_;
};

// Captures what is written to standard output (or to standard error) while
// it lives: through the C and C++ streams and the system's descriptor or
// handle, as the bytes were written.
class StreamCapture {
 public:
  explicit StreamCapture(platform::StandardStream stream)
      : dir_(std::make_unique<TestDir>()),
        redirect_(std::make_unique<platform::StreamRedirect>(stream, *dir_ / "captured")) {}
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;
  ~StreamCapture() { redirect_.reset(); }
  // Restores the stream and returns what was written.
  std::string text() {
    redirect_->restore();
    return dir_->read("captured");
  }

 private:
  std::unique_ptr<TestDir> dir_;
  std::unique_ptr<platform::StreamRedirect> redirect_;
};

struct StdoutCapture : StreamCapture {
  StdoutCapture() : StreamCapture(platform::StandardStream::output) {}
};
struct StderrCapture : StreamCapture {
  StderrCapture() : StreamCapture(platform::StandardStream::error) {}
};

}  // namespace testing_support
