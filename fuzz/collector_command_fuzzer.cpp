// Fuzz entry point for the collector's command reader, and for the other
// texts the upload programs read from outside: the uploader's command line
// in its single-argument form and its collector table.
#include <cstdint>
#include <string>

#include "base/Failure.h"
#include "tools/collector/CollectorCommand.h"
#include "uploader/CollectorTable.h"
#include "uploader/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t lf = text.find('\n');
  tools::collector::CollectorCommand::parse(lf == std::string::npos ? text : text.substr(0, lf));

  uploader::Output quiet;
  uploader::Settings settings;
  int code = 0;
  uploader::CommandLine::parse({text}, "tessaly", quiet, &settings, &code);
  try {
    uploader::CollectorTable::parseList(text);
  } catch (const base::FormatError&) {
  }
  try {
    uploader::CollectorTable::parseFile(text);
  } catch (const base::FormatError&) {
  }
  return 0;
}
