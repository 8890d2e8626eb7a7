#pragma once

#include <optional>
#include <string>

#include "games/bf/Game.h"

namespace games::bf {

// What a replayed match that the model judged valid guarantees, whatever its
// log held. Checked by the match fuzzer and the replay tests.
//
// - playersByUID lists plist in order, each player's uid its index;
//   playersByRank holds the same players, ranked 1 to n, in the order of
//   the game type's ranking rule (Capture the Flag and Domination by score,
//   then frags, deaths and suicides; the others by frags, deaths and
//   suicides; Last Man Standing by its elimination order, not checked here);
// - the counters of a player are not negative, the records against humans
//   and against bots add up to the overall record, the per-weapon, per-cause
//   and per-item arrays add up to their totals;
// - every kill has its death: the kills and deaths of all players, and the
//   team kills and team deaths, have equal sums, and the per-opponent lists
//   of killers and victims agree cell by cell (a player removed after the
//   match takes his row and column with him);
// - the match totals and the humans' totals are the sums of the players';
//   in a team match each team record holds the sum of its members' kills,
//   deaths, suicides, team kills and team deaths;
// - the winning team, if any, is one of the team records and ahead of the
//   others by the game type's measure; in DeathMatch and Last Man Standing
//   the first ranked player has won;
// - at most one player drew first blood, the one that `firstBlood` names.
//
// Returns the first guarantee that `g` breaks, or none.
std::optional<std::string> brokenInvariant(const Game& g);

}  // namespace games::bf
