#include "programs/vardobf/GameRecord.h"

#include "base/Failure.h"
#include "programs/vardobf/DbText.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf {

GameRecord::GameRecord(int32_t id, std::string n, bool bot, int32_t s, std::string m, std::string d,
                       double t)
    : name(std::move(n)),
      map(std::move(m)),
      date(std::move(d)),
      uid(id),
      score(s),
      isABot(bot),
      time(t) {
  size_t at = date.find(" at");
  if (at != std::string::npos && at > 0) date.erase(at);
}

GameRecord GameRecord::read(util::ByteReader& in) {
  GameRecord r;
  try {
    r.uid = in.readInt32();
    r.name = readText(in);
    r.map = readText(in);
    r.date = readText(in);
    r.isABot = in.readUInt8() != 0;
    r.score = in.readInt32();
    r.time = in.readDouble();
  } catch (const std::exception& e) {
    util::traceFailure("GameRecord", "new", e);
  }
  return r;
}

void GameRecord::writeDB(util::ByteWriter& out) const {
  out.putInt32(uid);
  writeText(out, name);
  writeText(out, map);
  writeText(out, date);
  out.putUInt8(isABot ? 1 : 0);
  out.putInt32(score);
  out.putDouble(time);
}

}  // namespace programs::vardobf
