#pragma once

#include <string>

#include "games/bf/Game.h"
#include "tools/matchdump/JsonWriter.h"

namespace tools {

// One player (or team record, or cumulative player) with every record.
void writePlayerJson(JsonWriter& j, const games::bf::Player& p);

// The judged match as JSON: settings, validity, identity, teams, every
// player in uid order with his records, samples, sprees and pickups, and the
// match records. Keys are the field names of the match model.
std::string matchToJson(const games::bf::Game& g);

}  // namespace tools
