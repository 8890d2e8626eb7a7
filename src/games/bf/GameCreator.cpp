#include "games/bf/GameCreator.h"

#include "games/bf/Game.h"

namespace games::bf {

std::unique_ptr<games::Game> GameCreator::newGame(const std::optional<std::string>& logData, bool) {
  return std::make_unique<Game>(logData);
}

}  // namespace games::bf
