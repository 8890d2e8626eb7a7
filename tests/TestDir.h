#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include <stdlib.h>
#include <unistd.h>

#include "platform/FileSystem.h"

namespace testing_support {

// A fresh temporary directory, removed with everything in it at the end of
// the test.
class TestDir {
 public:
  TestDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "brimXXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    path_ = tmpl;
  }
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;
  ~TestDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  std::string write(const std::string& name, const std::string& data) const {
    std::string p = *this / name;
    platform::writeFile(p, data);
    return p;
  }
  std::string read(const std::string& name) const { return platform::readFile(*this / name); }
  std::string mkdir(const std::string& name) const {
    std::filesystem::create_directories(*this / name);
    return *this / name;
  }

 private:
  std::string path_;
};

// Captures what is written to standard output (or, with the other stream and
// descriptor, to standard error) while it lives.
class StreamCapture {
 public:
  StreamCapture(std::FILE* stream, int fd) : stream_(stream), fd_(fd) {
    std::fflush(stream_);
    file_ = std::tmpfile();
    saved_ = ::dup(fd_);
    ::dup2(::fileno(file_), fd_);
  }
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;
  ~StreamCapture() {
    restore();
    if (file_ != nullptr) std::fclose(file_);
  }
  // Restores the stream and returns what was written.
  std::string text() {
    restore();
    std::string out;
    std::rewind(file_);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0) out.append(buf, n);
    return out;
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stream_);
    ::dup2(saved_, fd_);
    ::close(saved_);
    saved_ = -1;
  }
  std::FILE* stream_;
  int fd_;
  std::FILE* file_ = nullptr;
  int saved_ = -1;
};

struct StdoutCapture : StreamCapture {
  StdoutCapture() : StreamCapture(stdout, 1) {}
};
struct StderrCapture : StreamCapture {
  StderrCapture() : StreamCapture(stderr, 2) {}
};

}  // namespace testing_support
