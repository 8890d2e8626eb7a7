// Fuzz entry point: the readers of the game, records and hash databases. The
// first byte chooses the file; the rest is its content.
#include <cstdint>
#include <string>

#include "games/bf/Specs.h"
#include "programs/vardobf/Totals.h"
#include "util/ByteIO.h"
#include "util/Debug.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    util::Debug::setType("None", ".");
    games::bf::Specs::init();
    return true;
  }();
  (void)ready;
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
  // What was read can always be written again.
  (void)t.encodeGameDB();
  (void)t.encodeRecordsDB();
  (void)t.encodeHashDB();
  return 0;
}
