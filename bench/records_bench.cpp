// Reading the records database when it is cut short against reading it whole.
// A cut block used to report a failure for every record after the cut; now
// reading stops at the first record it cannot start, so a cut file costs no
// more than a whole one. Prints both times and their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "games/bf/Specs.h"
#include "programs/vardobf/Totals.h"
#include "util/ByteIO.h"
#include "util/Debug.h"

namespace {

using programs::vardobf::Totals;

// A records database whose every game record has a holder.
std::string recordsFile() {
  Totals t;
  int32_t n = 0;
  auto fill = [&n](auto& rec) {
    ++n;
    rec.uid = n;
    rec.name = "Player" + std::to_string(n);
    rec.score = n;
  };
  for (auto& g : t.rec.gKillsHoldingWeapon) fill(g);
  for (auto& g : t.rec.gDeathsByWeapon) fill(g);
  for (auto& c : t.rec.cKillsHoldingWeapon) fill(c);
  for (auto& c : t.rec.cWeaponSuicides) fill(c);
  return t.encodeRecordsDB();
}

// Seconds per read of `data`, the best of several rounds.
double perRead(const std::string& data) {
  constexpr int kReads = 2000;
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kReads; ++i) {
      Totals t;
      util::ByteReader in(data);
      t.decodeRecordsDB(in);
    }
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, s / kReads);
  }
  return best;
}

}  // namespace

int main() {
  util::Debug::setType("None", ".");
  games::bf::Specs::init();
  const std::string whole = recordsFile();
  // Cut after the first tenth: most records lie beyond the cut.
  const std::string cut = whole.substr(0, whole.size() / 10);
  const double w = perRead(whole);
  const double c = perRead(cut);
  std::printf("records database of %zu bytes, whole:      %8.2f us\n", whole.size(), w * 1e6);
  std::printf("the same cut to %zu bytes:                 %8.2f us\n", cut.size(), c * 1e6);
  std::printf("ratio cut / whole: %.2f (target: at most 1)\n", c / w);
  return 0;
}
