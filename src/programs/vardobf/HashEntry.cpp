#include "programs/vardobf/HashEntry.h"

#include "programs/vardobf/DbText.h"

namespace programs::vardobf {

HashEntry HashEntry::read(util::ByteReader& in, int32_t version) {
  HashEntry e;
  e.name = readText(in);
  e.isABot = in.readUInt8() != 0;
  e.uid = in.readInt32();
  e.time = in.readDouble();
  e.a_frags = in.readInt32();
  e.a_deaths = in.readInt32();
  e.a_suicides = in.readInt32();
  e.dm_frags = in.readInt32();
  e.dm_deaths = in.readInt32();
  e.dm_suicides = in.readInt32();
  if (version == 1) {
    for (int i = 0; i < 3; ++i) in.readInt32();  // counters of an older layout, no longer kept
  }
  e.t_wins = in.readInt32();
  e.t_losses = in.readInt32();
  e.a_wins = in.readInt32();
  e.a_losses = in.readInt32();
  e.lms_wins = in.readInt32();
  e.lms_losses = in.readInt32();
  e.dom = in.readInt32();
  e.ctf = in.readInt32();
  return e;
}

void HashEntry::update(double t, int32_t af, int32_t ad, int32_t as, int32_t df, int32_t dd,
                       int32_t ds, int32_t tw, int32_t tl, int32_t aw, int32_t al, int32_t lw,
                       int32_t ll, int32_t c1, int32_t c2) {
  time = t;
  a_frags = af;
  a_deaths = ad;
  a_suicides = as;
  dm_frags = df;
  dm_deaths = dd;
  dm_suicides = ds;
  t_wins = tw;
  t_losses = tl;
  a_wins = aw;
  a_losses = al;
  lms_wins = lw;
  lms_losses = ll;
  dom = c1;
  ctf = c2;
  modified = true;
}

void HashEntry::writeDB(util::ByteWriter& out) const {
  writeText(out, name);
  out.putUInt8(isABot ? 1 : 0);
  out.putInt32(uid);
  out.putDouble(time);
  for (int32_t v : {a_frags, a_deaths, a_suicides, dm_frags, dm_deaths, dm_suicides, t_wins,
                    t_losses, a_wins, a_losses, lms_wins, lms_losses, dom, ctf})
    out.putInt32(v);
}

}  // namespace programs::vardobf
