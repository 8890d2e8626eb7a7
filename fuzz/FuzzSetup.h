#pragma once

#include "games/bf/Specs.h"
#include "util/Debug.h"

namespace fuzz_support {

// The process-wide state the match model and the statistics database need,
// set up once per process: the game catalog, and a trace that goes nowhere.
inline void setUpCatalogOnce() {
  static const bool ready = [] {
    util::Debug::setType("None", ".");
    games::bf::Specs::init();
    return true;
  }();
  (void)ready;
}

}  // namespace fuzz_support
