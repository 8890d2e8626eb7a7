#pragma once

#include <exception>
#include <string>

#include "base/Failure.h"
#include "util/Debug.h"

// Shared by the source files of games::bf::Game (its replay handlers and its
// settings handlers); not part of the match model's interface.
namespace games::bf::detail {

// Runs one handler: a failure is traced as "Error in Game.<name><sep><text>"
// and the walk goes on.
template <class F>
void guarded(const char* name, const char* sep, F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    util::Debug::print(std::string("Error in Game.") + name + sep + base::failureText(e), 0);
  }
}

}  // namespace games::bf::detail
