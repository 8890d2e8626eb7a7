#pragma once

#include <cstdint>
#include <string>

#include "util/ByteIO.h"

namespace programs::vardobf {

// The holder of a career record: the best cumulative value of any player.
class CareerRecord {
 public:
  CareerRecord() = default;
  CareerRecord(int32_t id, std::string n, bool bot, int32_t s, int32_t g, double t)
      : name(std::move(n)), uid(id), score(s), games(g), isABot(bot), time(t) {}
  // Reads one record; on a failure the line "Error in CareerRecord.new: " is
  // traced and the record keeps what was read.
  static CareerRecord read(util::ByteReader& in);
  void writeDB(util::ByteWriter& out) const;

  std::string name;
  int32_t uid = -1;
  int32_t score = 0;
  int32_t games = 0;
  bool isABot = false;
  double time = 0.0;
};

}  // namespace programs::vardobf
