// Fuzz entry point: the command-line parser of vardobf over any arguments
// (the input split at NUL bytes).
#include <cstdint>
#include <string>
#include <vector>

#include "programs/vardobf/VardoBF.h"
#include "base/Failure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  try {
    auto o = programs::vardobf::VardoBF::parseOptions(args);
    if (!o.quit && o.logPaths.empty()) __builtin_trap();
  } catch (const base::Failure&) {
  }
  return 0;
}
