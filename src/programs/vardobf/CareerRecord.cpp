#include "programs/vardobf/CareerRecord.h"

#include "base/Failure.h"
#include "programs/vardobf/DbText.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf {

CareerRecord CareerRecord::read(util::ByteReader& in) {
  CareerRecord r;
  try {
    r.uid = in.readInt32();
    r.name = readText(in);
    r.isABot = in.readUInt8() != 0;
    r.score = in.readInt32();
    r.games = in.readInt32();
    r.time = in.readDouble();
  } catch (const std::exception& e) {
    util::traceFailure("CareerRecord", "new", e);
  }
  return r;
}

void CareerRecord::writeDB(util::ByteWriter& out) const {
  out.putInt32(uid);
  writeText(out, name);
  out.putUInt8(isABot ? 1 : 0);
  out.putInt32(score);
  out.putInt32(games);
  out.putDouble(time);
}

}  // namespace programs::vardobf
