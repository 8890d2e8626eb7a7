#include "uploadstarter/UploadStarter.h"

#include "base/InfoRequest.h"
#include "help/uploadstarter.h"
#include "platform/Clock.h"
#include "platform/DetachedProcess.h"

namespace uploadstarter {
namespace {

int usage(std::FILE* out, const std::string& program) {
  std::fprintf(out, "Usage: %s <logdir> [delay (def=%ds)]\n", program.c_str(),
               UploadStarter::kDefaultDelay);
  return -1;
}

}  // namespace

std::optional<int> UploadStarter::parseDelay(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v > kMaxDelay) return std::nullopt;
  return static_cast<int>(v);
}

int UploadStarter::run(const std::vector<std::string>& args, const std::string& program,
                       std::FILE* out) {
  if (args.empty()) return usage(out, program);
  // "--help" or "--version" as the log directory or the delay (which it
  // could never be) is answered; nothing is started.
  for (size_t i = 0; i < args.size() && i < 2; ++i) {
    const base::InfoRequest info = base::infoRequest(args[i]);
    if (info == base::InfoRequest::kNone) continue;
    if (info == base::InfoRequest::kHelp)
      std::fputs(help::kUploadstarter, out);
    else
      std::fprintf(out, "uploadstarter %s\n", base::kProgramVersion);
    return 0;
  }
  int delay = kDefaultDelay;
  if (args.size() >= 2) {
    // A negative or non-numeric delay would otherwise become a wait of
    // weeks or a wait of nothing.
    std::optional<int> d = parseDelay(args[1]);
    if (!d) {
      std::fprintf(out, "Bad delay \"%s\" (seconds, 0 to %lld)\n", args[1].c_str(),
                   static_cast<long long>(kMaxDelay));
      return usage(out, program);
    }
    delay = *d;
  }
  const std::string& logDir = args[0];
  std::fprintf(out, "cmd: %s -d %s -g ProcessTest\n", kUploader, logDir.c_str());
  std::fflush(out);
  // The log directory is one argument, passed exactly as given.
  platform::DetachedProcess p =
      platform::DetachedProcess::start({kUploader, "-d", logDir, "-g", "ProcessTest"});
  if (p.pid() < 0) {
    std::fprintf(out, "Error in creating process: %d\n", p.error());
    return -1;
  }
  std::fprintf(out, "Batcher started (PID: %d)\n", p.pid());
  std::fprintf(out, "Waiting %d seconds for process to finish\n", delay);
  std::fflush(out);
  platform::clock().sleepMillis(static_cast<int64_t>(delay) * 1000);
  int code = 0;
  int error = 0;
  if (!p.exitCode(&code, &error)) {
    std::fprintf(out, "Error in getting ExitCode: %d\n", error);
    return -1;
  }
  if (code == platform::DetachedProcess::kStillActive)
    std::fprintf(out, "Batcher is still running after %d seconds.\n", delay);
  else
    std::fprintf(out, "Batcher finished with exit code: %d\n", code);
  return 0;
}

}  // namespace uploadstarter
