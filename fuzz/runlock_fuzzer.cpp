// Fuzz entry point: the owner line of a run lock file, which another run (or
// anything else) may have written. An owner that is read back must be exactly
// what a run writes for that process and host, and judging any content never
// fails but on the lock's name.
#include <cstdint>
#include <string>

#include "programs/vardo/RunLock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using programs::vardo::RunLock;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto owner = RunLock::ownerOf(text);
  if (owner && std::to_string(owner->pid) + " " + owner->host + "\n" != text) __builtin_trap();
  const int64_t now = 1800000000000;
  // Young locks of unknown owners stay alive; a lock this old is alive only
  // when it is dated in the future, which it is not.
  if (!owner && !RunLock::alive(std::to_string(now - 1) + ".lock", text, now)) __builtin_trap();
  if (RunLock::alive(std::to_string(now - RunLock::kLifeMillis) + ".lock", text, now))
    __builtin_trap();
  return 0;
}
