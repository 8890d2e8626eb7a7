#include "palvex/modes/OutputNames.h"

#include <cstdio>

#include "platform/OutputFile.h"

namespace palvex::modes {

std::string OutputNames::base(const Image& image, const cli::Settings& settings, bool batchMode) {
  return batchMode                 ? settings.output + image.spareName
         : settings.output.empty() ? image.inputName
                                   : settings.output;
}

std::string OutputNames::make(const Image& image, const cli::Settings& settings, bool batchMode,
                              const char* extension) {
  std::string name = base(image, settings, batchMode);
  if (name.size() > 4) name.replace(name.size() - 3, 3, extension);
  return name;
}

bool OutputNames::mayWrite(const std::string& name, bool overwrite) {
  using Mode = platform::OutputFile::Mode;
  auto file = platform::OutputFile::open(name, overwrite ? Mode::kReplace : Mode::kCreateNew);
  if (file && file->close()) return true;
  std::printf("Failed creating file:  %s \n", name.c_str());
  if (!overwrite) std::printf("Cannot overwrite existing file. Use -o option to override. \n");
  return false;
}

}  // namespace palvex::modes
