#pragma once

#include <cstddef>
#include <string>

#include "tools/loggen/Rng.h"

// Small text helpers of the log generator. Internals of the generator.
namespace tools::loggen::detail {

// A game time as the log writes it: seconds with two decimals.
std::string timeText(Cs t);
// `digits` random lower-case hexadecimal digits.
std::string hex(Rng& rng, size_t digits);
// Field n (from 0) of a TAB-separated log line without its line end; empty
// when the line has fewer fields.
std::string fieldOf(const std::string& line, size_t n);

}  // namespace tools::loggen::detail
