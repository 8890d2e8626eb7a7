// Fuzz entry point of the palvex command line: the bytes are split into
// arguments at NUL bytes and line feeds. Parsing never fails; the settings it
// leaves must keep the clamps the switches promise, and output names must
// be built for any queued name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "palvex/cli/BatchList.h"
#include "palvex/cli/CommandLine.h"
#include "palvex/modes/OutputNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size && args.size() < 64; ++i) {
    if (data[i] == 0 || data[i] == '\n')
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  const palvex::cli::Settings s = palvex::cli::CommandLine::parse(args);
  if (!(s.fatMask >= 0 && s.fatMask <= 1) || !(s.tolerance >= 0 && s.tolerance <= 1)) std::abort();
  if (!(s.bump >= 0 && s.bump <= 1024) || !(s.stream >= 0 && s.stream <= 1024)) std::abort();
  for (int d : s.depths)
    if (d < 1 || d > 8) std::abort();
  if (s.scaleX == 0 || s.scaleY == 0) std::abort();
  palvex::Image im;
  im.inputName = im.spareName = args.back();
  const std::string name = palvex::modes::OutputNames::make(im, s, size % 2 == 0, "pcx");
  if (name.size() > 4 && name.substr(name.size() - 3) != "pcx") std::abort();
  palvex::cli::BatchList::wildcardMatch(s.input, s.output);
  return 0;
}
