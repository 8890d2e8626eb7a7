// Fuzz entry point: the settings file reader over any bytes.
#include <cstdint>
#include <string>

#include "programs/vardo/config.h"
#include "util/Debug.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using programs::vardo::config;
  util::Debug::setType("None", ".");
  config::resetToDefaults();
  config::read(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
