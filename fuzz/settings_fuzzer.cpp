// Fuzz entry point: the settings file reader over any bytes. Whatever the
// text, the delay stays within its range; a text read to its end leaves every
// capped setting inside its cap and every directory ending in "/".
#include <cstdint>
#include <string>

#include "programs/vardo/config.h"
#include "util/Debug.h"

namespace {

using programs::vardo::config;

bool endsInSlash(const std::string& s) { return !s.empty() && s.back() == '/'; }

void check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  util::Debug::setType("None", ".");
  config::resetToDefaults();
  bool complete = config::read(std::string(reinterpret_cast<const char*>(data), size));
  check(config::delay >= 0 && config::delay <= config::kMaxDelay);
  if (!complete) return 0;  // a failed line skips the caps by design
  check(config::numGamesToSave() <= config::kMaxGames);
  for (int32_t rank : {config::getRankAll(), config::getRankDM(), config::getRankTG(),
                       config::getRankCTF(), config::getRankDom(), config::getRankA(),
                       config::getRankIG(), config::getRankLMS(), config::getRank1v1()})
    check(rank <= config::kMaxRank);
  check(endsInSlash(config::dbDir) && endsInSlash(config::htmlDir) &&
        endsInSlash(config::saveDir) && endsInSlash(config::tcsHtml) &&
        endsInSlash(config::tcsVerify));
  check(!config::tcsTDir || endsInSlash(*config::tcsTDir));
  return 0;
}
