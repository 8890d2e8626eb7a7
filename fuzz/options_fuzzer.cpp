// Fuzz entry point: the command-line parser of vardobf over any arguments
// (the input split at NUL bytes). An accepted command line names at least one
// log path (unless it quits or answers --help or --version), and the parsed
// options written back as a command line parse to the same options.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "programs/vardobf/VardoBF.h"

namespace {

using programs::vardobf::VardoBF;

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The options as a command line of their own.
std::vector<std::string> printed(const VardoBF::Options& o) {
  std::vector<std::string> args(static_cast<size_t>(o.verbosity), "-v");
  if (o.configFile) args.insert(args.end(), {"-c", *o.configFile});
  if (o.home) args.insert(args.end(), {"-j", *o.home});
  if (o.browser) args.insert(args.end(), {"-b", *o.browser ? "true" : "false"});
  for (const std::string& p : o.logPaths) args.insert(args.end(), {"-l", p});
  if (o.quit) args.push_back("-u");
  if (o.info == base::InfoRequest::kHelp) args.push_back("--help");
  if (o.info == base::InfoRequest::kVersion) args.push_back("--version");
  return args;
}

bool same(const VardoBF::Options& a, const VardoBF::Options& b) {
  return a.verbosity == b.verbosity && a.configFile == b.configFile && a.home == b.home &&
         a.browser == b.browser && a.logPaths == b.logPaths && a.quit == b.quit && a.info == b.info;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  VardoBF::Options o;
  try {
    o = VardoBF::parseOptions(args);
  } catch (const base::Failure&) {
    return 0;
  }
  check(o.quit || o.info != base::InfoRequest::kNone || !o.logPaths.empty());
  check(o.verbosity >= 0 && static_cast<size_t>(o.verbosity) <= args.size());
  // With -u, --help or --version the parse stops where it stands, so the
  // default path is absent.
  VardoBF::Options again = VardoBF::parseOptions(printed(o));
  check(same(o, again));
  return 0;
}
