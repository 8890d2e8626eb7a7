#pragma once

#include <cstdint>
#include <string>

#include "tools/loggen/LogGenerator.h"

// The damage that the log generator puts into a log when asked. Internals of
// the generator.
namespace tools::loggen::detail {

// `text` with each fault of `faults` applied; the choices come from a random
// stream of their own, derived from `seed`, so that a damaged log equals the
// sound one elsewhere.
std::string injectFaults(const std::string& text, const Faults& faults, uint64_t seed);

}  // namespace tools::loggen::detail
