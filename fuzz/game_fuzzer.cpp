// Fuzz entry point: the whole replay of a match (tokenizer, event records,
// replay, ranking, records, verdict) over any text.
#include <cstdint>
#include <string>

#include "games/bf/GameCreator.h"
#include "games/bf/Specs.h"
#include "util/Debug.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    util::Debug::setType("None", ".");
    games::bf::Specs::init();
    return true;
  }();
  (void)ready;
  games::bf::GameCreator creator;
  auto g = creator.newGame(std::string(reinterpret_cast<const char*>(data), size), false);
  if (!g) __builtin_trap();
  (void)g->theTime();
  return 0;
}
