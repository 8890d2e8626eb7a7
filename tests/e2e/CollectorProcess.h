#pragma once

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "e2e/Run.h"
#include "platform/FileSystem.h"

extern char** environ;

namespace testing_support {

// Starts a program in the background with its output in a file, and with
// "NAME=value" settings before those of the test's environment; the
// destructor stops it (SIGTERM, then SIGKILL) and reaps it.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& args, const std::string& outputFile,
                    const std::vector<std::string>& settings = {}) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& s : settings) envp.push_back(const_cast<char*>(s.c_str()));
    for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    if (posix_spawn(&pid_, args[0].c_str(), &fa, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;
  ~BackgroundProcess() { stop(); }

  pid_t pid() const { return pid_; }
  // True while the process has not ended (reaps it once it has).
  bool running() {
    if (pid_ <= 0 || ended_) return false;
    int st = 0;
    if (::waitpid(pid_, &st, WNOHANG) == pid_) {
      ended_ = true;
      status_ = st;
      return false;
    }
    return true;
  }
  // The wait status once it ended.
  int status() const { return status_; }
  void stop() {
    if (pid_ <= 0 || ended_) return;
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 500 && running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (running()) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status_, 0);
      ended_ = true;
    }
  }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

// The collector server on 127.0.0.1 and a port of its own choice, storing
// into `storeDir`.
class CollectorProcess {
 public:
  CollectorProcess(const std::string& storeDir, const std::vector<std::string>& options = {})
      : portFile_(storeDir + ".port"), process_(command(storeDir, options), storeDir + ".out") {
    for (int i = 0; i < 2000 && port_ == 0 && process_.running(); ++i) {
      if (platform::exists(portFile_)) port_ = std::atoi(platform::readFile(portFile_).c_str());
      if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    output_ = storeDir + ".out";
  }
  int port() const { return port_; }
  std::string endpoint() const { return "127.0.0.1:" + std::to_string(port_); }
  // What the server logged so far.
  std::string log() const { return platform::exists(output_) ? platform::readFile(output_) : ""; }

 private:
  std::vector<std::string> command(const std::string& storeDir,
                                   const std::vector<std::string>& options) {
    std::vector<std::string> c = {
        binDir() + "/collector", "--listen", "127.0.0.1:0", "--store", storeDir,
        "--port-file",           portFile_};
    c.insert(c.end(), options.begin(), options.end());
    return c;
  }

  std::string portFile_;
  BackgroundProcess process_;
  std::string output_;
  int port_ = 0;
};

}  // namespace testing_support
