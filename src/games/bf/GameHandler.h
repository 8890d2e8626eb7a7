#pragma once

#include <utility>

#include "util/Trace.h"

// Shared by the source files of games::bf::Game (its replay handlers and its
// settings handlers); not part of the match model's interface.
namespace games::bf::detail {

// Runs one handler: a failure is traced as "Error in Game.<name><sep><text>"
// and the walk goes on.
template <class F>
void guarded(const char* name, const char* sep, F&& f) {
  util::guarded("Game", name, sep, std::forward<F>(f));
}

}  // namespace games::bf::detail
