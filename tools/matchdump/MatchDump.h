#pragma once

#include <string>

#include "games/bf/Game.h"
#include "util/Json.h"

namespace tools {

// One player (or cumulative player) with every record, as a JSON object.
util::Json playerToJson(const games::bf::Player& p);

// The judged match as JSON text (compact, one line ending with a line feed):
// settings, validity, identity, teams, every player in uid order with his
// records, samples, sprees and pickups, and the match records. Keys are the
// field names of the match model; doubles that are not finite are null.
std::string matchToJson(const games::bf::Game& g);

}  // namespace tools
