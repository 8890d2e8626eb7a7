// The fighting of a generated match: weapons, kills, suicides, items and
// the blinker.
#include <iterator>

#include "tools/loggen/Match.h"

namespace tools::loggen::detail {

int32_t Match::poolWeapon() {
  if (onlyWeapon_ >= 0) return onlyWeapon_;
  std::array<double, kWeaponMix.size()> w{};
  for (size_t i = 0; i < w.size(); ++i) w[i] = kWeaponMix[i].second;
  return kWeaponMix[rng_.weighted(w)].first;
}

std::string Match::visualFor(int32_t weapon) {
  using G = GameData;
  auto either = [this](std::string_view a, std::string_view b, double pa) {
    return std::string(rng_.chance(pa) ? a : b);
  };
  switch (weapon) {
    case Specs::kFlakGun:
      return either(G::kFlakBurst, G::kShredded, 0.6);
    case Specs::kSludgeRifle:
      return std::string(G::kCorroded);
    case Specs::kHammer:
      return std::string(G::kHammerBlow);
    case Specs::kPlasmaGun:
      return either(G::kPlasmaBolt, G::kPlasmaBeam, 0.6);
    case Specs::kWarheadLauncher:
      return either(G::kWarheadBlast, G::kWarheadShockwave, 0.7);
    case Specs::kBladeLauncher:
      return rng_.chance(0.1) ? std::string(G::kBeheaded)
                              : either(G::kBladeBurst, G::kShredded, 0.45);
    case Specs::kRocketLauncher:
      return either(G::kRocketBlast, G::kRocketSplash, 0.55);
    case Specs::kEnergyRifle:
    case Specs::kEnhancedEnergyRifle:
      // The server has written this type in more than one letter case.
      return rng_.chance(0.9) ? std::string(G::kArcZap) : std::string("Arczap");
    case Specs::kSniperRifle:
      return either(G::kBeheaded, G::kShot, 0.35);
    case Specs::kChainsaw:
      return either(G::kSawed, G::kBeheaded, 0.8);
    default:
      return std::string(G::kShot);
  }
}

void Match::dies(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  ++p.livesLost;
  if (lives_ > 0 && p.livesLost >= lives_) p.out = true;
  if (p.pickup >= 0) {
    line({"item_deactivate", (*kPickupTables[lang_])[static_cast<size_t>(p.pickup)], num(p.pNum)});
    p.pickup = -1;
    p.pickupUntil = kNever;
  }
  p.chainAt = kNever;
  p.chainLeft = 0;
  const double r = rng_.uniform();
  p.weapon = r < 0.85 ? Specs::kPistol : r < 0.95 ? Specs::kTwinPistols : Specs::kHoldingNothing;
}

void Match::randomKill(std::optional<int32_t> forcedKiller) {
  std::vector<int32_t> f = fighters();
  if (f.size() < 2) return;
  int32_t k = forcedKiller ? *forcedKiller : pickWeighted(f, true);
  const Person& killer = people_[static_cast<size_t>(k)];
  std::vector<int32_t> enemies;
  std::vector<int32_t> carriers;
  for (int32_t j : f) {
    if (j == k) continue;
    if (teamGame_ && people_[static_cast<size_t>(j)].team == killer.team) continue;
    enemies.push_back(j);
    if (flagOf(j) >= 0) carriers.push_back(j);
  }
  if (enemies.empty()) return;
  int32_t v = !carriers.empty() && rng_.chance(0.2) ? carriers[0] : pickWeighted(enemies, false);
  kill(k, v, false, false);
}

void Match::kill(int32_t k, int32_t v, bool teamKill, bool telefrag) {
  Person& killer = people_[static_cast<size_t>(k)];
  Person& victim = people_[static_cast<size_t>(v)];
  if (killer.weapon == Specs::kHoldingNothing || rng_.chance(0.3)) killer.weapon = poolWeapon();

  std::string kw = heldName(killer);
  std::string visual;
  if (telefrag) {
    visual = GameData::kTelefragged;
  } else if (rng_.chance(o_.unknownWeaponRate)) {
    kw = kModWeapons[static_cast<size_t>(rng_.below(kModWeapons.size()))];
    visual = kModDamage[static_cast<size_t>(rng_.below(kModDamage.size()))];
  } else if (rng_.chance(0.01)) {
    visual = GameData::kStomped;
  } else {
    visual = visualFor(killer.weapon);
  }
  const std::string vw = heldName(victim);
  const bool dropsFlag = flagOf(v) >= 0;
  const bool dropFirst = dropsFlag && rng_.chance(0.5);
  if (dropFirst) dropFlagOf(v);
  line({teamKill ? "teamkill" : "kill", num(killer.pNum), kw, num(victim.pNum), vw, visual});
  groupHasKill_ = true;
  if (dropsFlag && !dropFirst) dropFlagOf(v);
  if (!teamKill && killer.weapon == Specs::kSniperRifle && visual == GameData::kBeheaded)
    line({"headshot", num(killer.pNum), num(victim.pNum)});

  killer.frags += teamKill ? -1 : 1;
  if (teamGame_ && played_ == Specs::kTeamGame && !teamKill)
    ++teamScore_[static_cast<size_t>(killer.team)];
  dies(v);
  // Now and then a quick run of kills: multi-kill chains of two to five.
  if (!teamKill) {
    if (killer.chainLeft > 0) {
      --killer.chainLeft;
      killer.chainAt = killer.chainLeft > 0 ? now_ + rng_.between(0.4, 2.9) : kNever;
    } else if (rng_.chance(0.12)) {
      killer.chainLeft = rng_.range(1, 4);
      killer.chainAt = now_ + rng_.between(0.4, 2.9);
    }
  }
  checkLimits();
}

void Match::suicide() {
  std::vector<int32_t> f = fighters();
  if (f.empty()) return;
  int32_t i = pickWeighted(f, false);
  Person& p = people_[static_cast<size_t>(i)];
  struct Cause {
    std::string_view visual;
    int32_t weapon;  // -1: environmental, nothing set it off
    double weight;
  };
  using G = GameData;
  static constexpr Cause kCauses[] = {
      {"Fell", -1, 28},
      {"Drowned", -1, 6},
      {"Burned", -1, 8},
      {G::kCorroded, -1, 5},
      {G::kCrushed, -1, 5},
      {"Electrocuted", -1, 5},
      {"Exploded", -1, 5},
      {"Suicided", -1, 10},
      {G::kMortared, -1, 3},
      {G::kSpecialDamage, -1, 2},
      {G::kUnknownDamage, -1, 2},
      {G::kArcZap, -1, 3},
      {G::kShot, -1, 4},
      {G::kRocketSplash, Specs::kRocketLauncher, 8},
      {G::kFlakBurst, Specs::kFlakGun, 3},
      {G::kCorroded, Specs::kSludgeRifle, 3},
      {G::kWarheadBlast, Specs::kWarheadLauncher, 2},
      {G::kPlasmaBolt, Specs::kPlasmaGun, 2},
      {G::kBladeBurst, Specs::kBladeLauncher, 2},
      {G::kArcZap, Specs::kEnergyRifle, 1},
  };
  std::array<double, std::size(kCauses)> w{};
  for (size_t c = 0; c < w.size(); ++c) w[c] = kCauses[c].weight;
  const Cause& c = kCauses[rng_.weighted(w)];
  std::string initiator(G::kNoInitiator);
  if (c.weapon >= 0) {
    p.weapon = c.weapon;
    initiator = p.name;
  } else if (p.weapon == Specs::kHoldingNothing && rng_.chance(0.5)) {
    p.weapon = poolWeapon();
  }
  dropFlagOf(i);
  line({"suicide", num(p.pNum), heldName(p), c.visual, initiator});
  groupHasKill_ = true;
  --p.frags;
  dies(i);
  checkLimits();
}

void Match::item() {
  std::vector<int32_t> f = fighters();
  if (f.empty()) return;
  int32_t i = f[static_cast<size_t>(rng_.below(static_cast<int32_t>(f.size())))];
  Person& p = people_[static_cast<size_t>(i)];
  // Ammunition, health, armour, weapons, power-ups.
  static constexpr double kKinds[] = {40, 25, 10, 20, 5};
  size_t kind = rng_.weighted(kKinds);
  if (kind == 4 && (noPowerUps_ || p.pickup >= 0)) kind = 0;
  int32_t row = 0;
  switch (kind) {
    case 0:
      row = rng_.range(14, 22);
      break;
    case 1:
      row = rng_.range(26, 29);
      break;
    case 2:
      row = rng_.range(23, 25);
      break;
    case 3:
      row = rng_.range(1, 13);
      if (onlyWeapon_ >= 0) {
        for (int32_t r = 1; r <= 13; ++r)
          if (kItemWeapon[static_cast<size_t>(r)] == onlyWeapon_) row = r;
      }
      p.weapon = kItemWeapon[static_cast<size_t>(row)];
      break;
    default:
      row = Specs::kFirstPickupItem + rng_.below(static_cast<int32_t>(Specs::kPickups));
      break;
  }
  const std::string& alt = Specs::itemsB[static_cast<size_t>(row)];
  const std::string& name =
      altItemNames_ && !alt.empty() ? alt : (*kItemTables[lang_])[static_cast<size_t>(row)];
  line({"item_get", name, num(p.pNum)});
  if (kind == 4) {
    p.pickup = row - Specs::kFirstPickupItem;
    p.pickupUntil = now_ + rng_.between(20, 45);
    line({"item_activate", (*kPickupTables[lang_])[static_cast<size_t>(p.pickup)], num(p.pNum)});
  }
}

void Match::blinker() {
  std::vector<int32_t> f = fighters();
  if (f.empty()) return;
  int32_t i = f[static_cast<size_t>(rng_.below(static_cast<int32_t>(f.size())))];
  const std::string pn = num(people_[static_cast<size_t>(i)].pNum);
  line({"throw_blinker", pn});
  const double r = rng_.uniform();
  if (r < 0.1) {
    line({"warp_fail", pn});
  } else if (r < 0.14) {
    // Teleported into someone: the gib, then the kill.
    std::vector<int32_t> enemies;
    for (int32_t j : f)
      if (j != i && (!teamGame_ ||
                     people_[static_cast<size_t>(j)].team != people_[static_cast<size_t>(i)].team))
        enemies.push_back(j);
    if (enemies.empty()) return;
    line({"warp", pn});
    line({"warp_gib", pn});
    kill(i, enemies[static_cast<size_t>(rng_.below(static_cast<int32_t>(enemies.size())))], false,
         true);
  } else if (r < 0.75) {
    line({"warp", pn});
  }
}

}  // namespace tools::loggen::detail
