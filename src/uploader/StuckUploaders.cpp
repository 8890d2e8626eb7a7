#include "uploader/StuckUploaders.h"

#include "platform/FileSystem.h"

namespace uploader {

std::string StuckUploaders::programName(const std::string& executable) {
  static const std::string kDeleted = " (deleted)";
  std::string p = executable;
  if (p.size() > kDeleted.size() &&
      p.compare(p.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
    p.resize(p.size() - kDeleted.size());
  return platform::baseName(p);
}

StuckUploaders::Result StuckUploaders::terminate(platform::ProcessTable& processes, Output& out) {
  std::optional<std::vector<platform::ProcessEntry>> list = processes.list();
  if (!list) return Result::kNotExamined;
  const std::string own = programName(processes.ownExecutable());
  const int ownPid = processes.ownPid();
  if (own.empty()) return Result::kDone;
  for (const platform::ProcessEntry& p : *list) {
    if (p.pid == ownPid || p.executable.empty() || programName(p.executable) != own) continue;
    out.say("[W50a]: Found another batcher process running (%d)\n", p.pid);
    std::unique_ptr<platform::ProcessHandle> handle = processes.open(p.pid);
    if (!handle) {
      out.say("[E51]: Couldn't OpenProcess (%.01x)\n", static_cast<unsigned>(p.pid));
      return Result::kOpenFailed;
    }
    if (!handle->terminate()) {
      out.say("[E52]: Couldn't TerminateProcess (%.01x)\n", static_cast<unsigned>(p.pid));
      return Result::kTerminateFailed;
    }
    out.say("[I50]: Process #%.0lx successfully terminated\n", static_cast<unsigned long>(p.pid));
    out.say("[I50a]: Stuck batcher process killed.\n");
  }
  return Result::kDone;
}

}  // namespace uploader
