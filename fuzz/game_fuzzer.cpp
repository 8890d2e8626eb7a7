// Fuzz entry point: the whole replay of a match (tokenizer, event records,
// replay, ranking, records, verdict) over any text. A match that the model
// judges valid must keep every guarantee of a finished match.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "FuzzSetup.h"
#include "games/bf/Game.h"
#include "games/bf/GameCreator.h"
#include "games/bf/MatchInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::setUpCatalogOnce();
  games::bf::GameCreator creator;
  auto made = creator.newGame(std::string(reinterpret_cast<const char*>(data), size), false);
  const auto* g = dynamic_cast<const games::bf::Game*>(made.get());
  if (g == nullptr) __builtin_trap();
  (void)g->theTime();
  if (auto broken = games::bf::brokenInvariant(*g)) {
    std::fprintf(stderr, "broken: %s\n", broken->c_str());
    __builtin_trap();
  }
  return 0;
}
