#pragma once

#include <cstdint>
#include <string>

#include "util/ByteIO.h"

namespace programs::vardobf {

// A length-prefixed text of the database files: an int32 character count
// followed by one byte per character. A count that is negative or larger
// than the data left is an error (base::FormatError).
std::string readText(util::ByteReader& in);
void writeText(util::ByteWriter& out, const std::string& s);

// Everything written so far, as a string; the writer is empty afterwards.
std::string bytesOf(util::ByteWriter& out);

// A double as a 32-bit integer, truncated toward zero; values beyond the
// range saturate and a value that is not a number gives 0.
int32_t truncateToInt(double v);

}  // namespace programs::vardobf
