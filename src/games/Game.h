#pragma once

#include <cstdint>
#include <string>

namespace games {

// One replayed match, as the game-independent run driver sees it.
class Game {
 public:
  virtual ~Game() = default;
  // The match's identity: two logs of the same match give the same value; its
  // decimal form names the match's page directory.
  virtual int64_t theTime() const = 0;
  // False when the log did not yield a usable match.
  virtual bool isValid() const = 0;
  // Server name (empty when the log names none).
  virtual std::string getServerName() const = 0;
  // Map title (empty when the log names none).
  virtual std::string getMap() const = 0;
};

}  // namespace games
