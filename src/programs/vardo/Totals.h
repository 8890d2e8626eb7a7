#pragma once

#include <cstdint>

#include "games/Game.h"

namespace programs::vardo {

// The cumulative totals and database as the run driver sees them.
class Totals {
 public:
  virtual ~Totals() = default;
  // Finishes or drops a save of the databases that an earlier run left
  // unfinished (killed or failed part-way), so that the database directory
  // holds one whole save again. Called once per run, after the run lock
  // check and before anything else is done with the databases; throws when
  // the save cannot be settled.
  virtual void settleSave() = 0;
  // True when the saved database holds counted matches. Reads only what it
  // needs and creates nothing.
  virtual bool hasSavedMatches() = 0;
  // Reads the databases; called once per run before the first valid match.
  virtual void readDBs() = 0;
  // False when the match is already in the totals (a repeat).
  virtual bool isNewGame(const games::Game& g) = 0;
  // Folds a new match into the totals.
  virtual void update(const games::Game& g) = 0;
  // True when the match is among the `n` most recent matches.
  virtual bool isPrintableGame(const games::Game& g, int32_t n) = 0;
  virtual bool isHighGame(const games::Game& g) = 0;
  virtual bool isRecentGame(const games::Game& g) = 0;
  // True when the totals changed during the run.
  virtual bool isModified() = 0;
  virtual void sortPlayers() = 0;
  // Saves the databases; throws when the save failed.
  virtual void writeDBs() = 0;
  // The number of kept matches and the theTime() of the i-th one.
  virtual int32_t gListSize() = 0;
  virtual int64_t gListElement(int32_t i) = 0;
};

}  // namespace programs::vardo
