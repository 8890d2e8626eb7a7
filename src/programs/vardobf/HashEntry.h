#pragma once

#include <cstdint>
#include <string>

#include "util/ByteIO.h"

namespace programs::vardobf {

// The summary of one player kept in the hash database: identity, the key into
// the player database and the counters the rankings sort by.
class HashEntry {
 public:
  HashEntry() = default;
  HashEntry(std::string n, bool bot, int32_t id) : name(std::move(n)), isABot(bot), uid(id) {}
  // Reads one record of the given file version (1 or 2). Throws base::Failure
  // on short or damaged data.
  static HashEntry read(util::ByteReader& in, int32_t version);

  // Replaces every counter and marks the entry modified.
  void update(double t, int32_t af, int32_t ad, int32_t as, int32_t df, int32_t dd, int32_t ds,
              int32_t tw, int32_t tl, int32_t aw, int32_t al, int32_t lw, int32_t ll, int32_t c1,
              int32_t c2);
  // One record, as the hash database stores it (version 2).
  void writeDB(util::ByteWriter& out) const;

  // The map key of a player: name + "t" for a bot, "f" for a human.
  static std::string key(const std::string& name, bool bot) { return name + (bot ? "t" : "f"); }

  std::string name;
  bool isABot = false;
  int32_t uid = 0;
  double time = 0.0;
  int32_t a_frags = 0, a_deaths = 0, a_suicides = 0;
  int32_t dm_frags = 0, dm_deaths = 0, dm_suicides = 0;
  int32_t t_wins = 0, t_losses = 0;
  int32_t a_wins = 0, a_losses = 0;
  int32_t lms_wins = 0, lms_losses = 0;
  int32_t ctf = 0;
  int32_t dom = 0;
  bool modified = false;
};

}  // namespace programs::vardobf
