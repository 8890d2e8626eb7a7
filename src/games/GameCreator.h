#pragma once

#include <memory>
#include <optional>
#include <string>

#include "games/Game.h"

namespace games {

// The match factory: replays the whole text of one log into a match.
class GameCreator {
 public:
  virtual ~GameCreator() = default;
  // `logData` is none when the log could not be read. Never returns null; a
  // log without a usable match gives an invalid match.
  virtual std::unique_ptr<Game> newGame(const std::optional<std::string>& logData,
                                        bool tcsMode) = 0;
};

}  // namespace games
