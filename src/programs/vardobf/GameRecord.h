#pragma once

#include <cstdint>
#include <string>

#include "util/ByteIO.h"

namespace programs::vardobf {

// The holder of a game record: the best value of one player in one match.
class GameRecord {
 public:
  GameRecord() = default;
  // The date is cut before its first " at" when that is not at its start.
  GameRecord(int32_t id, std::string n, bool bot, int32_t s, std::string m, std::string d,
             double t);
  // Reads one record; on a failure the line "Error in GameRecord.new: " is
  // traced and the record keeps what was read.
  static GameRecord read(util::ByteReader& in);
  void writeDB(util::ByteWriter& out) const;

  std::string name;
  std::string map;
  std::string date;
  int32_t uid = -1;
  int32_t score = 0;
  bool isABot = false;
  double time = 0.0;
};

}  // namespace programs::vardobf
