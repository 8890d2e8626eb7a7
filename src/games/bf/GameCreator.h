#pragma once

#include <memory>
#include <optional>
#include <string>

#include "games/GameCreator.h"

namespace games::bf {

// The Brimfall match factory: each log becomes one games::bf::Game.
class GameCreator : public games::GameCreator {
 public:
  // `tcsMode` is accepted and not used.
  std::unique_ptr<games::Game> newGame(const std::optional<std::string>& logData,
                                       bool tcsMode) override;
};

}  // namespace games::bf
