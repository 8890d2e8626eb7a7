#pragma once

#include <string>

#include "palvex/Image.h"
#include "palvex/cli/Settings.h"

namespace palvex::modes {

// Output names and the test that an output may be written.
class OutputNames {
 public:
  // The name before the extension rule.
  static std::string base(const Image& image, const cli::Settings& settings, bool batchMode);
  // Batch: the output prefix and the listed name; single: the output
  // argument, or the input name when there is none. A name longer than four
  // characters then gets `extension` in place of its last three.
  static std::string make(const Image& image, const cli::Settings& settings, bool batchMode,
                          const char* extension);

  // Creates and closes the file at once: replaced with -o, refused when it
  // exists without. Prints the refusal and returns false when it may not be
  // written.
  static bool mayWrite(const std::string& name, bool overwrite);
};

}  // namespace palvex::modes
