// Fuzz entry point: the site data writer reading back the files of an earlier
// run. The first input byte chooses the file that gets the rest of the input
// (the totals, the first part of the player list or the kept matches); the
// other files are as a sound earlier run left them. Whatever it reads, the
// writer must leave every data file valid JSON, with every player in the list.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "FuzzSetup.h"
#include "ScratchDir.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/output/SiteData.h"

namespace {

using programs::vardo::config;
using programs::vardobf::HashEntry;
using programs::vardobf::Totals;
using programs::vardobf::output::SiteData;
namespace fs = std::filesystem;

// Three players, of whom the run changed one, in a database of three matches
// of which the run counted one.
void fill(Totals& t) {
  const char* const names[] = {"Ann", "B\xF6rk", "<b>Cy</b>"};
  for (int32_t uid = 0; uid < 3; ++uid) {
    HashEntry h(names[uid], uid == 2, uid);
    h.modified = uid == 1;
    t.plist.put(HashEntry::key(h.name, h.isABot), h);
  }
  t.totalGamesPlayed = 3;
  t.matchesThisRun = 1;
  t.gameList = {3000, 2000, 1000};
  t.gameDateList = {"D3", "D2", "D1"};
  t.gameMapList = {"M3", "M2", "M1"};
  t.gameTypeList = {"T3", "T2", "T1"};
  t.seenThisRun[1] = {3000, 3000};
}

std::optional<games::bf::Player> player(int32_t uid) {
  games::bf::Player p(0.0);
  p.all.frags = 10 * uid;
  p.all.kills = 11 * uid;
  p.all.totalTime = 600.0;
  p.all.uses = uid + 1;
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::setUpCatalogOnce();
  if (size == 0) return 0;
  static const fs::path home = fuzz_support::scratchDir("site_data_fuzz");
  config::resetToDefaults();
  config::home = home.string();
  config::os = "Linux";
  const fs::path dir = home / "html" / "data";
  std::error_code ec;
  fs::remove_all(home / "html", ec);
  fs::create_directories(dir / "match");

  // A sound earlier state, then the chosen file replaced by the input.
  const std::string names[] = {"totals", "players-0", "matches"};
  platform::writeFile((dir / "totals.json").string(),
                      "{\"format\":1,\"matchesCounted\":2,\"players\":{\"chunkSize\":1000}}");
  platform::writeFile((dir / "players-0.json").string(),
                      "{\"format\":1,\"chunk\":0,\"players\":[{\"uid\":0,\"name\":\"Ann\","
                      "\"bot\":false,\"firstSeen\":1000,\"lastSeen\":2000}]}");
  platform::writeFile((dir / "matches.json").string(),
                      "{\"format\":1,\"matches\":[{\"time\":2000,\"map\":\"M2\"}]}");
  platform::writeFile((dir / (names[data[0] % 3] + ".json")).string(),
                      std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

  Totals t;
  fill(t);
  SiteData(t).writeTotals(player);

  std::set<int32_t> listed;
  for (const auto& f : fs::recursive_directory_iterator(dir)) {
    if (f.path().extension() != ".json") continue;
    SiteData::Json j;
    try {
      j = SiteData::Json::parse(platform::readFile(f.path().string()));
    } catch (const std::exception&) {
      __builtin_trap();  // a data file that is not JSON
    }
    if (f.path().filename() == "players-0.json")
      for (const auto& row : j.at("players")) listed.insert(row.at("uid").get<int32_t>());
  }
  if (listed != std::set<int32_t>{0, 1, 2}) __builtin_trap();
  return 0;
}
