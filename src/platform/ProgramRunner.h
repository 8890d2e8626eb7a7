#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// Starting a program and waiting for its end.
class ProgramRunner {
 public:
  virtual ~ProgramRunner() = default;
  // Runs args[0] with the arguments args[1..] and returns its exit status
  // (128 + the signal number when a signal ended it). Throws base::IOError
  // when it cannot be started.
  virtual int runAndWait(const std::vector<std::string>& args) = 0;
};

// The real side: the program inherits the standard handles and the
// environment.
class SystemProgramRunner : public ProgramRunner {
 public:
  int runAndWait(const std::vector<std::string>& args) override;
};

// The test double: records every start and answers through `action`, which
// may throw to play a program that cannot be started.
class FakeProgramRunner : public ProgramRunner {
 public:
  using Action = std::function<int(const std::vector<std::string>&)>;
  explicit FakeProgramRunner(Action action = nullptr) : action_(std::move(action)) {}
  int runAndWait(const std::vector<std::string>& args) override {
    runs.push_back(args);
    return action_ ? action_(args) : 0;
  }
  std::vector<std::vector<std::string>> runs;

 private:
  Action action_;
};

}  // namespace platform
