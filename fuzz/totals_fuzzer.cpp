// Fuzz entry point: the readers of the game, records and hash databases. The
// first byte chooses the file; the rest is its content. Whatever is read must
// encode to files that decode whole to the same content.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSetup.h"
#include "programs/vardobf/Totals.h"
#include "util/ByteIO.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::setUpCatalogOnce();
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  util::ByteReader in(bytes);
  programs::vardobf::Totals t;
  try {
    switch (data[0] % 3) {
      case 0:
        t.decodeGameDB(in);
        break;
      case 1:
        t.decodeRecordsDB(in);
        break;
      default:
        t.decodeHashDB(in);
        break;
    }
  } catch (const std::exception&) {
    // Damaged data is reported by the callers; here only safety matters.
  }
  // What was read is written again, and that reads back whole to the same
  // content: decode, encode and decode are equal.
  const std::string game = t.encodeGameDB();
  const std::string records = t.encodeRecordsDB();
  const std::string hash = t.encodeHashDB();
  programs::vardobf::Totals back;
  try {
    util::ByteReader g(game);
    back.decodeGameDB(g);
    util::ByteReader r(records);
    back.decodeRecordsDB(r);
    util::ByteReader h(hash);
    back.decodeHashDB(h);
    if (!g.atEnd() || !r.atEnd() || !h.atEnd()) std::abort();
  } catch (const std::exception&) {
    std::abort();
  }
  if (back.encodeGameDB() != game || back.encodeRecordsDB() != records ||
      back.encodeHashDB() != hash)
    std::abort();
  return 0;
}
