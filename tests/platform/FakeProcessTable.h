#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ProcessTable.h"

namespace testing_support {

// A process table for tests: a fixed list, and terminations recorded (and
// optionally acted on) instead of carried out.
class FakeProcessTable : public platform::ProcessTable {
 public:
  platform::ProcessEntry own{1, "/bin/tessaly"};
  std::vector<platform::ProcessEntry> processes;
  bool listable = true;
  bool openFails = false;
  bool terminateFails = false;
  std::vector<int> terminated;
  // Runs when a process is terminated (a test can release a lock there).
  std::function<void(int)> onTerminate;

  std::optional<std::vector<platform::ProcessEntry>> list() override {
    if (!listable) return std::nullopt;
    return processes;
  }
  int ownPid() override { return own.pid; }
  std::string ownExecutable() override { return own.executable; }
  std::unique_ptr<platform::ProcessHandle> open(int pid) override {
    if (openFails) return nullptr;
    return std::make_unique<Handle>(*this, pid);
  }

 private:
  struct Handle : platform::ProcessHandle {
    Handle(FakeProcessTable& t, int pid) : table(t), id(pid) {}
    bool terminate() override {
      if (table.terminateFails) return false;
      table.terminated.push_back(id);
      if (table.onTerminate) table.onTerminate(id);
      return true;
    }
    FakeProcessTable& table;
    int id;
  };
};

}  // namespace testing_support
