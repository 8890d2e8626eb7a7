#include "games/bf/Specs.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/bf/GameData.h"
#include "util/Debug.h"

namespace {

using games::bf::GameData;
using games::bf::Specs;
using testing_support::StdoutCapture;

class SpecsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::Debug::reset();
    Specs::init();
  }
  void TearDown() override { util::Debug::reset(); }
};

// ---------------------------------------------------------------- lookups

TEST_F(SpecsTest, EveryNameOfEveryLanguageFindsItsRowSilently) {
  StdoutCapture out;
  auto check = [](auto lookup, std::vector<std::span<const std::string>> tables) {
    for (auto table : tables)
      for (size_t row = 0; row < table.size(); ++row)
        if (!table[row].empty()) {
          EXPECT_EQ(lookup(table[row]), static_cast<int32_t>(row)) << table[row];
        }
  };
  check(Specs::wloc, {Specs::weapons, Specs::weaponsEs, Specs::weaponsFr, Specs::weaponsIt});
  check(Specs::iloc, {Specs::items, Specs::itemsEs, Specs::itemsFr, Specs::itemsIt, Specs::itemsB});
  check(Specs::ploc, {Specs::pickups, Specs::pickupsEs, Specs::pickupsFr, Specs::pickupsIt});
  check(Specs::gloc, {Specs::games, Specs::gamesEs, Specs::gamesFr, Specs::gamesIt});
  check(Specs::tloc, {Specs::teams, Specs::teamsEs, Specs::teamsFr, Specs::teamsIt});
  check(Specs::cloc, {Specs::checksums});
  EXPECT_EQ(out.text(), "");
}

TEST_F(SpecsTest, AccentedNamesAreSingleLatin1Bytes) {
  EXPECT_EQ(Specs::wloc("Ca\xF1\xF3n de Plasma"), Specs::kPlasmaGun);
  EXPECT_EQ(Specs::wloc("Fusil \xE0 Boue"), Specs::kSludgeRifle);
  EXPECT_EQ(Specs::wloc("Fusil de Pr\xE9"
                        "cision"),
            Specs::kSniperRifle);
  EXPECT_EQ(Specs::wloc("\xC9"
                        "crasement"),
            Specs::kStomp);
  EXPECT_EQ(Specs::wloc("Fusil \xE0 \xC9nergie Am\xE9lior\xE9"), Specs::kEnhancedEnergyRifle);
  EXPECT_EQ(Specs::iloc("Noyau d'\xC9nergie"), 21);
  EXPECT_EQ(Specs::ploc("Stivali Antigravit\xE0"), 0);
  EXPECT_EQ(Specs::gloc("\xDAltimo Hombre en Pie"), Specs::kLastManStanding);
  EXPECT_EQ(Specs::gloc("Jeu en \xC9quipe"), Specs::kTeamGame);
  // The UTF-8 spelling of the same name is not the game's.
  StdoutCapture out;
  EXPECT_EQ(Specs::wloc("Ca\xC3\xB1\xC3\xB3n de Plasma"), 0);
  EXPECT_NE(out.text(), "");
}

TEST_F(SpecsTest, RowsTheMatchCodeReliesOn) {
  EXPECT_EQ(Specs::games[Specs::kCaptureTheFlag], "Capture the Flag");
  EXPECT_EQ(Specs::games[Specs::kDomination], "Domination");
  EXPECT_EQ(Specs::games[Specs::kAssault], "Assault");
  EXPECT_EQ(Specs::games[Specs::kLastManStanding], "Last Man Standing");
  EXPECT_EQ(Specs::games[Specs::kSinglePlayer], "SinglePlayer");
  EXPECT_EQ(Specs::weapons[Specs::kHoldingNothing], "None");
  EXPECT_EQ(Specs::sprees[0], "Killing Spree");
  EXPECT_EQ(Specs::sprees[4], "Godlike");
  EXPECT_EQ(Specs::weapons[0], "");
  EXPECT_EQ(Specs::items[0], "");
  EXPECT_EQ(Specs::suicides[0], "");
  // The pickups are the last four item rows.
  for (size_t k = 0; k < Specs::kPickups; ++k)
    EXPECT_EQ(Specs::items[Specs::kFirstPickupItem + k], Specs::pickups[k]);
  // The alternate item identifiers: six weapons and one health item.
  EXPECT_EQ(Specs::iloc("RocketLauncher"), 9);
  EXPECT_EQ(Specs::iloc("Super Health"), 28);
  size_t alternates = 0;
  for (const auto& s : Specs::itemsB) alternates += s.empty() ? 0 : 1;
  EXPECT_EQ(alternates, 7u);
}

TEST_F(SpecsTest, PackageLinesAreFileBlankAndLowerCaseDigest) {
  for (const auto& line : Specs::checksums) {
    size_t blank = line.find(' ');
    ASSERT_NE(blank, std::string::npos) << line;
    std::string digest = line.substr(blank + 1);
    EXPECT_EQ(digest.size(), 32u) << line;
    EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string::npos) << line;
    EXPECT_TRUE(line.substr(0, blank).ends_with(".bpk")) << line;
  }
  EXPECT_EQ(Specs::cloc("Kernel.bpk b2cab879fa76fda3d76fde01c46598b0"), 0);
  EXPECT_EQ(Specs::cloc("Fonts.bpk 2ac92f8bb2ad235248414658f6dde51d"), 24);
}

TEST_F(SpecsTest, UnknownNamesFallBackWithOneTraceLineEach) {
  StdoutCapture out;
  EXPECT_EQ(Specs::wloc(""), 0);
  EXPECT_EQ(Specs::wloc("rocket launcher"), 0);  // letter case counts
  EXPECT_EQ(Specs::iloc("Quad"), 0);
  EXPECT_EQ(Specs::ploc("Jetpack"), 0);
  EXPECT_EQ(Specs::gloc("Capture The Flag"), 0);
  EXPECT_EQ(out.text(),
            "Error in bf.Specs.wloc: $$ unknown weapon\n"
            "Error in bf.Specs.wloc: $rocket launcher$ unknown weapon\n"
            "Error in bf.Specs.iloc: $Quad$ unknown item\n"
            "Error in bf.Specs.ploc: $Jetpack$ unknown pickup\n"
            "Error in bf.Specs.gloc: $Capture The Flag$ unknown game\n");
}

TEST_F(SpecsTest, SilentLookupsAnswerMinusOne) {
  StdoutCapture out;
  EXPECT_EQ(Specs::tloc("Purple"), -1);
  EXPECT_EQ(Specs::tloc("red"), -1);
  EXPECT_EQ(Specs::tloc(""), -1);
  // One hex digit differs.
  EXPECT_EQ(Specs::cloc("Kernel.bpk b2cab879fa76fda3d76fde01c46598b1"), -1);
  EXPECT_EQ(Specs::cloc("Kernel.bpk"), -1);
  EXPECT_EQ(Specs::cloc("Kernel.bpk  b2cab879fa76fda3d76fde01c46598b0"), -1);
  EXPECT_EQ(Specs::sploc("Rampage"), 1);
  EXPECT_EQ(Specs::sploc("rampage"), -1);
  EXPECT_EQ(Specs::sploc(""), -1);
  EXPECT_EQ(out.text(), "");
}

TEST_F(SpecsTest, LocTakesTheFirstEqualRow) {
  const std::vector<std::string> table = {"", "a", "b", "a"};
  EXPECT_EQ(Specs::loc(table, "a"), 1);
  EXPECT_EQ(Specs::loc(table, ""), 0);
  EXPECT_EQ(Specs::loc(table, "A"), -1);
  EXPECT_EQ(Specs::loc(Specs::suicides, "Fell"), Specs::kFell);
}

TEST_F(SpecsTest, ALaterTableWinsOverAnEarlierOne) {
  const std::vector<std::string> english = {"", "Shared", "OnlyHere"};
  const std::vector<std::string> french = {"Shared", "", "Autre"};
  Specs::Map map;
  games::bf::detail::enterTable(map, english);
  games::bf::detail::enterTable(map, french);
  EXPECT_EQ(map.at("Shared"), 0);
  EXPECT_EQ(map.at("OnlyHere"), 2);
  EXPECT_EQ(map.at("Autre"), 2);
  EXPECT_EQ(map.count(""), 0u);
}

TEST_F(SpecsTest, InitCanRunAgain) {
  Specs::init();
  EXPECT_EQ(Specs::wloc("Lanzacohetes"), Specs::kRocketLauncher);
  EXPECT_EQ(Specs::tloc("Oro"), 3);
}

// ---------------------------------------------------------------- sloc

TEST_F(SpecsTest, SlocNamedCausesAndSpecialDamage) {
  StdoutCapture out;
  EXPECT_EQ(Specs::sloc("Burned", "None"), Specs::kBurned);
  EXPECT_EQ(Specs::sloc("Drowned", "Pistol"), Specs::kDrowned);
  EXPECT_EQ(Specs::sloc("Fell", "None"), Specs::kFell);
  EXPECT_EQ(Specs::sloc("Electrocuted", "x"), Specs::kElectrocuted);
  EXPECT_EQ(Specs::sloc("Exploded", "None"), Specs::kExploded);
  EXPECT_EQ(Specs::sloc("Suicided", "None"), Specs::kSuicided);
  EXPECT_EQ(Specs::sloc("SpecialDamage", "x"), Specs::kSpecialDamage);
  EXPECT_EQ(Specs::sloc("Unknown", "None"), Specs::kSpecialDamage);
  EXPECT_EQ(Specs::sloc("Mortared", "x"), Specs::kMortared);
  EXPECT_EQ(Specs::sloc("Crushed", "x"), Specs::kCrushed);
  // Cause names that have no rule of their own are not environmental.
  EXPECT_EQ(Specs::sloc("Turret", "None"), 0);
  EXPECT_EQ(Specs::sloc("fell", "None"), 0);
  EXPECT_EQ(Specs::sloc("", "None"), 0);
  EXPECT_EQ(Specs::sloc("RocketSplash", "None"), 0);
  EXPECT_EQ(out.text(), "");
}

TEST_F(SpecsTest, SlocCorrosionAndArcNeedNothingToSetThemOff) {
  EXPECT_EQ(Specs::sloc("Corroded", "None"), Specs::kCorroded);
  EXPECT_EQ(Specs::sloc("Corroded", "Sludge Rifle"), 0);
  EXPECT_EQ(Specs::sloc("Corroded", "none"), 0);
  EXPECT_EQ(Specs::sloc("ArcZap", "None"), Specs::kTurret);
  EXPECT_EQ(Specs::sloc("ArcZap", "Energy Rifle"), 0);
  EXPECT_EQ(Specs::sloc("arczap", "None"), 0);  // exact case here
  EXPECT_EQ(Specs::sloc("Shot", "None"), Specs::kTurret);
  EXPECT_EQ(Specs::sloc("Shot", "Pistol"), Specs::kTurret);
}

// ---------------------------------------------------------------- wlocALT

TEST_F(SpecsTest, WlocAltFixedDamageTypesDecideWhateverTheWeapon) {
  StdoutCapture out;
  const std::vector<std::pair<std::string, int32_t>> fixed = {
      {"RocketBlast", 10},     {"RocketSplash", 10}, {"HammerBlow", 5}, {"WarheadBlast", 8},
      {"WarheadShockwave", 8}, {"BladeBurst", 9},    {"PlasmaBolt", 7}, {"PlasmaBeam", 7},
      {"Telefragged", 13},     {"FlakBurst", 3},     {"Corroded", 4},   {"Sawed", 14},
      {"stomped", 15}};
  ASSERT_EQ(fixed.size(), GameData::kFixedDamage.size());
  for (const auto& [damage, row] : fixed) {
    EXPECT_EQ(Specs::wlocALT("Minigun", damage), row) << damage;
    EXPECT_EQ(Specs::wlocALT("no such gun", damage), row) << damage;
  }
  // No wloc call, so no line even for the unknown weapon.
  EXPECT_EQ(out.text(), "");
  util::Debug::reset();
  StdoutCapture out2;
  EXPECT_EQ(Specs::wlocALT("Minigun", "Stomped"), Specs::kMinigun);  // lower-case s only
  EXPECT_EQ(out2.text(), "Error in bf.Specs.wlocAlt: $Minigun$ $Stomped$\n");
}

TEST_F(SpecsTest, WlocAltArcIgnoresCaseAndKeepsOnlyTheEnhancedRifle) {
  StdoutCapture out;
  EXPECT_EQ(Specs::wlocALT("Enhanced Energy Rifle", "ArcZap"), Specs::kEnhancedEnergyRifle);
  EXPECT_EQ(Specs::wlocALT("Fucile a Energia Potenziato", "ARCZAP"), Specs::kEnhancedEnergyRifle);
  EXPECT_EQ(Specs::wlocALT("Pistol", "arczap"), Specs::kEnergyRifle);
  EXPECT_EQ(Specs::wlocALT("Energy Rifle", "ArcZap"), Specs::kEnergyRifle);
  EXPECT_EQ(out.text(), "");
  util::Debug::reset();
  StdoutCapture out2;
  EXPECT_EQ(Specs::wlocALT("Arc Lance", "ArcZap"), Specs::kEnergyRifle);
  EXPECT_EQ(out2.text(), "Error in bf.Specs.wloc: $Arc Lance$ unknown weapon\n");
}

TEST_F(SpecsTest, WlocAltBulletsBladesAndHeads) {
  StdoutCapture out;
  struct Case {
    const char* weapon;
    const char* damage;
    int32_t row;
  };
  const Case cases[] = {
      {"Pistol", "Shot", Specs::kPistol},
      {"Twin Pistols", "Shot", Specs::kTwinPistols},
      {"Ametralladora", "Shot", Specs::kMinigun},
      {"Sniper Rifle", "Shot", Specs::kSniperRifle},
      {"Sniper Rifle", "Beheaded", Specs::kSniperRifle},
      {"Flak Gun", "Shredded", Specs::kFlakGun},
      {"Blade Launcher", "Shredded", Specs::kBladeLauncher},
      {"Lancialame", "Beheaded", Specs::kBladeLauncher},
      {"Chainsaw", "Beheaded", Specs::kChainsaw},
      {"Minigun", "Beheaded", Specs::kBladeLauncher},
      {"Sniper Rifle", "Shredded", Specs::kBladeLauncher},
      {"Flak Gun", "Beheaded", Specs::kBladeLauncher},
      {"Rocket Launcher", "Shot", Specs::kPistol},
      {"Chainsaw", "Shot", Specs::kPistol},
      {"None", "Shot", Specs::kPistol},
  };
  for (const auto& c : cases) EXPECT_EQ(Specs::wlocALT(c.weapon, c.damage), c.row) << c.weapon;
  EXPECT_EQ(out.text(), "");
}

TEST_F(SpecsTest, WlocAltUnknownWeaponWithKnownRuleWritesTwoLines) {
  StdoutCapture out;
  EXPECT_EQ(Specs::wlocALT("Gauss Pistol", "Shot"), Specs::kPistol);
  EXPECT_EQ(out.text(),
            "Error in bf.Specs.wloc: $Gauss Pistol$ unknown weapon\n"
            "Error in bf.Specs.wloc: $Gauss Pistol$ unknown weapon\n");
}

TEST_F(SpecsTest, WlocAltWithoutARuleFallsBackToTheNamedWeapon) {
  StdoutCapture out;
  EXPECT_EQ(Specs::wlocALT("Rocket Launcher", "Gibbed"), Specs::kRocketLauncher);
  EXPECT_EQ(Specs::wlocALT("Lance-Roquettes", ""), Specs::kRocketLauncher);
  EXPECT_EQ(out.text(),
            "Error in bf.Specs.wlocAlt: $Rocket Launcher$ $Gibbed$\n"
            "Error in bf.Specs.wlocAlt: $Lance-Roquettes$ $$\n");
}

TEST_F(SpecsTest, WlocAltUnusualKillLeavesEveryLineInOrder) {
  StdoutCapture out;
  EXPECT_EQ(Specs::wlocALT("Grav Lance", "Gibbed"), 0);
  EXPECT_EQ(out.text(),
            "Error in bf.Specs.wloc: $Grav Lance$ unknown weapon\n"
            "Error in bf.Specs.wloc: $Grav Lance$ unknown weapon\n"
            "Error in bf.Specs.wlocAlt: $Grav Lance$ $Gibbed$\n"
            "Error in bf.Specs.wloc: $Grav Lance$ unknown weapon\n");
}

// ---------------------------------------------------------------- game data

TEST_F(SpecsTest, StockListsHaveTheirSizesAndAreNamePartsOnly) {
  EXPECT_EQ(GameData::kStockGameClasses.size(), 6u);
  EXPECT_EQ(GameData::kStockMutators.size(), 15u);
  for (auto s : GameData::kStockGameClasses) EXPECT_EQ(s.find('.'), std::string_view::npos);
  for (auto s : GameData::kStockMutators) EXPECT_EQ(s.find('.'), std::string_view::npos);
  EXPECT_NE(
      std::find(GameData::kStockMutators.begin(), GameData::kStockMutators.end(), "JumpMatch"),
      GameData::kStockMutators.end());
  EXPECT_EQ(GameData::kStockGameVersion, 348);
}

// ---------------------------------------------------------------- fuzzing

// The entries of a libFuzzer dictionary: one quoted text a line, "\xNN" for
// a byte that is not plain printable ASCII.
std::set<std::string> dictionaryEntries(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::set<std::string> entries;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    size_t open = line.find('"');
    if (line.empty() || line[0] == '#' || open == std::string::npos) continue;
    std::string entry;
    for (size_t i = open + 1; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 3 < line.size() && line[i + 1] == 'x') {
        entry += static_cast<char>(std::stoi(line.substr(i + 2, 2), nullptr, 16));
        i += 3;
      } else {
        entry += line[i];
      }
    }
    entries.insert(entry);
  }
  return entries;
}

TEST_F(SpecsTest, FuzzDictionaryHoldsEveryNameTheCatalogKnows) {
  const auto entries =
      dictionaryEntries(std::string(BRIM_DEFAULT_SOURCE_DIR) + "/fuzz/dict/match.dict");
  ASSERT_GT(entries.size(), 100u);
  auto expectAll = [&](std::span<const std::string> table) {
    for (const std::string& name : table)
      if (!name.empty()) {
        EXPECT_TRUE(entries.count(name)) << "missing: " << name;
      }
  };
  for (auto t : {&Specs::weapons, &Specs::weaponsEs, &Specs::weaponsFr, &Specs::weaponsIt})
    expectAll(*t);
  for (auto t : {&Specs::items, &Specs::itemsEs, &Specs::itemsFr, &Specs::itemsIt, &Specs::itemsB})
    expectAll(*t);
  for (auto t : {&Specs::pickups, &Specs::pickupsEs, &Specs::pickupsFr, &Specs::pickupsIt})
    expectAll(*t);
  for (auto t : {&Specs::games, &Specs::gamesEs, &Specs::gamesFr, &Specs::gamesIt}) expectAll(*t);
  for (auto t : {&Specs::teams, &Specs::teamsEs, &Specs::teamsFr, &Specs::teamsIt}) expectAll(*t);
  expectAll(Specs::suicides);
  expectAll(Specs::sprees);
  for (const auto& d : GameData::kFixedDamage) EXPECT_TRUE(entries.count(std::string(d.text)));
  for (std::string_view d :
       {GameData::kSpecialDamage, GameData::kUnknownDamage, GameData::kCorroded,
        GameData::kMortared, GameData::kCrushed, GameData::kArcZap, GameData::kShot,
        GameData::kBeheaded, GameData::kShredded})
    EXPECT_TRUE(entries.count(std::string(d))) << "missing: " << d;
  const std::string pkg(GameData::kStockPackage);
  for (std::string_view c : GameData::kStockGameClasses)
    EXPECT_TRUE(entries.count(pkg + "." + std::string(c))) << "missing: " << c;
  for (std::string_view m : GameData::kStockMutators)
    EXPECT_TRUE(entries.count(pkg + "." + std::string(m))) << "missing: " << m;
  for (const std::string& c : Specs::checksums) {
    const size_t blank = c.find(' ');
    EXPECT_TRUE(entries.count(c.substr(0, blank)) && entries.count(c.substr(blank + 1))) << c;
  }
}

}  // namespace
