// Fuzz entry point: the launcher's registry file reader over any bytes, with
// the client check on what it read; the same bytes as a mount table.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/CdDrives.h"
#include "platform/RegistryFile.h"
#include "zephgo/ClientCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto file = platform::RegistryFile::parse(bytes);
  if (file.problems().size() > platform::RegistryFile::kMaxProblems) std::abort();
  if (file.problemCount() < file.problems().size()) std::abort();
  zephgo::clientProgram(file.registry());
  platform::SystemCdDrives::opticalMounts(bytes);
  return 0;
}
