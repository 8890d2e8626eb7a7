// The setup of a generated match (settings, people) and the header lines of
// its log.
#include <algorithm>
#include <cmath>

#include "tools/loggen/LogText.h"
#include "tools/loggen/Match.h"

namespace tools::loggen::detail {

void Match::chooseSettings() {
  if (o_.language) {
    lang_ = static_cast<size_t>(*o_.language);
  } else {
    static constexpr double kLangMix[] = {70, 10, 10, 10};
    lang_ = rng_.weighted(kLangMix);
  }
  singlePlayer_ = o_.gameType == Specs::kSinglePlayer;
  played_ = o_.gameType;
  if (singlePlayer_) {
    static constexpr double kLadder[] = {50, 15, 15, 0, 20};
    played_ = static_cast<int32_t>(rng_.weighted(kLadder));
  }
  teamGame_ = played_ != Specs::kDeathMatch && played_ != Specs::kLastManStanding;
  teams_ = teamGame_ ? 2 : 0;
  if (played_ == Specs::kTeamGame && o_.players >= 8 && rng_.chance(0.3)) teams_ = 4;

  const auto& maps = kMaps[static_cast<size_t>(played_)];
  map_ = &maps[static_cast<size_t>(rng_.below(3))];
  server_ = &kServers[lang_][static_cast<size_t>(rng_.below(3))];

  length_ = static_cast<Cs>(std::llround(o_.minutes * 60 * kSecond));
  const double secs = o_.minutes * 60;
  const int32_t people = o_.players;
  switch (played_) {
    case Specs::kDeathMatch:
      // About what the best player reaches in the time limit.
      fragLimit_ = std::max(5, static_cast<int32_t>(std::lround(secs * 0.045 * 2.0 / 5)) * 5);
      break;
    case Specs::kCaptureTheFlag:
      goal_ = std::max(3, static_cast<int32_t>(std::lround(secs / 120))) + rng_.range(0, 3);
      break;
    case Specs::kDomination:
      goal_ = std::max(20, static_cast<int32_t>(std::lround(secs * 0.33 / 10)) * 10);
      break;
    case Specs::kTeamGame:
      goal_ = std::max(
          10, static_cast<int32_t>(std::lround(secs * 0.045 * people / teams_ * 1.1 / 10)) * 10);
      break;
    case Specs::kLastManStanding:
      lives_ = std::clamp(static_cast<int32_t>(std::lround(secs * 0.0485 * 0.45)), 3, 50);
      fragLimit_ = lives_;
      break;
    default:
      break;
  }
  if (sizeMode_) {
    // The size decides the length: no limit may end the match before.
    fragLimit_ = 0;
    goal_ = 0;
    lives_ = 0;
  }
  friendlyFire_ = teamGame_ && rng_.chance(0.5) ? 0.5 : 0.0;
  useBlinker_ = played_ == Specs::kCaptureTheFlag || rng_.chance(0.15);
  weaponsStay_ = rng_.chance(0.7);
  altItemNames_ = rng_.chance(0.3);

  mutators_.push_back(std::string(GameData::kStockPackage) + ".DefaultRules");
  if (rng_.chance(0.3)) {
    const Mutator& m = kExtraMutators[static_cast<size_t>(rng_.below(kExtraMutators.size()))];
    mutators_.push_back(std::string(GameData::kStockPackage) + "." + m.name);
    onlyWeapon_ = m.onlyWeapon;
    noPowerUps_ = std::string_view(m.name) == "NoPowerUps";
  }
  if (rng_.chance(0.08)) mutators_.push_back(kModMutators[static_cast<size_t>(rng_.below(3))]);
  if (rng_.chance(0.05)) version_ = rng_.chance(0.5) ? "347" : "349";
  if (rng_.chance(0.04)) tamperedPackage_ = rng_.below(static_cast<int32_t>(Specs::kChecksums));
  assaultPart_ = rng_.range(1, 2);
  assaultCode_ = "AS" + std::to_string(rng_.range(100, 999)) + "-" + hex(rng_, 4);
  if (rng_.chance(0.7)) endChecksum_ = hex(rng_, 32);

  flags_.assign(played_ == Specs::kCaptureTheFlag ? 2 : 0, Flag{});
  if (played_ == Specs::kDomination)
    for (const char* n : map_->points) points_.push_back({n, -1, -1});
  teamScore_.assign(static_cast<size_t>(std::max(teams_, 1)), 0);
}

void Match::makePeople() {
  const int32_t total = o_.players;
  const int32_t bots = o_.bots ? *o_.bots : (singlePlayer_ ? total - 1 : total / 2);
  const int32_t humans = total - bots;

  std::vector<size_t> humanOrder(kHumanNames.size()), botOrder(kBotNames.size());
  for (size_t i = 0; i < humanOrder.size(); ++i) humanOrder[i] = i;
  for (size_t i = 0; i < botOrder.size(); ++i) botOrder[i] = i;
  for (size_t i = humanOrder.size(); i > 1; --i)
    std::swap(humanOrder[i - 1],
              humanOrder[static_cast<size_t>(rng_.below(static_cast<int32_t>(i)))]);
  for (size_t i = botOrder.size(); i > 1; --i)
    std::swap(botOrder[i - 1], botOrder[static_cast<size_t>(rng_.below(static_cast<int32_t>(i)))]);

  startAt_ = rng_.between(8, 20);
  endAt_ = startAt_ + (sizeMode_ ? kSizeModeLimit : length_);
  if (played_ == Specs::kAssault && !sizeMode_ && rng_.chance(0.5))
    assaultDoneAt_ =
        startAt_ + static_cast<Cs>(static_cast<double>(length_) * (0.5 + 0.45 * rng_.uniform()));
  if (played_ == Specs::kDomination) domTickAt_ = startAt_ + 5 * kSecond;

  const bool lms = played_ == Specs::kLastManStanding;
  Cs arrive = 30;
  for (int32_t i = 0; i < total; ++i) {
    Person p;
    p.bot = i >= humans;
    if (p.bot) {
      p.name = kBotNames[botOrder[static_cast<size_t>(i - humans)]];
      p.skill = rng_.range(0, 3);
      p.novice = rng_.chance(0.4);
      p.strength = 0.55 + 0.16 * (p.skill + (p.novice ? 0 : 4));
    } else {
      p.name = kHumanNames[humanOrder[static_cast<size_t>(i)]];
      p.secret = hex(rng_, 32);
      p.strength = 0.5 + 1.3 * rng_.uniform();
      p.pingBase = singlePlayer_ ? 0 : rng_.range(25, 180);
    }
    // Most are there before the start; some humans come in later.
    if (!p.bot && !lms && !singlePlayer_ && i > 0 && rng_.chance(0.2)) {
      p.joinAt =
          startAt_ + rng_.between(5, std::max(10.0, 0.6 * static_cast<double>(length_) / 100));
    } else {
      arrive += rng_.between(0.2, std::max(0.3, 0.8 * static_cast<double>(startAt_ - arrive) / 100 /
                                                    std::max(1, total - i)));
      p.joinAt = std::min(arrive, startAt_ - 20);
    }
    if (!p.bot && !singlePlayer_) {
      const double len = static_cast<double>(length_) / 100;
      if (!lms && rng_.chance(0.2)) {
        p.leaveAt = p.joinAt + rng_.between(30, std::max(40.0, 0.9 * len));
        if (sizeMode_ || rng_.chance(0.6)) p.returnAt = p.leaveAt + rng_.between(15, 150);
      } else if (lms && !sizeMode_ && rng_.chance(0.1)) {
        p.leaveAt = startAt_ + rng_.between(30, std::max(40.0, 0.5 * len));
      }
      if (rng_.chance(0.12))
        p.renameAt = std::max(p.joinAt, startAt_) + rng_.between(20, std::max(30.0, 0.8 * len));
      if (teamGame_ && played_ != Specs::kAssault && rng_.chance(0.12)) {
        p.teamChangeAt = std::max(p.joinAt, startAt_) + rng_.between(20, std::max(30.0, 0.6 * len));
        if (rng_.chance(0.4)) p.teamBackAt = p.teamChangeAt + rng_.between(30, 200);
      }
    }
    people_.push_back(std::move(p));
  }
}

std::string Match::header(const std::string& timeLimit) const {
  std::string h;
  auto add = [&h](std::initializer_list<std::string_view> f) {
    h += "0.00";
    for (std::string_view s : f) {
      h += '\t';
      h += s;
    }
    h += "\r\n";
  };
  const std::string date = o_.start.logText() + "." + o_.zone;
  add({"info", "Log_Standard", "Zorlog"});
  add({"info", "Log_Version", "1.1"});
  add({"info", "Game_Name", "Brimfall"});
  add({"info", "Game_Version", version_});
  add({"info", "Absolute_Time", date});
  if (singlePlayer_) {
    add({"info", "Server_ServerName", "Brimfall"});
    add({"info", "Server_Port", "7777"});
  } else {
    add({"info", "Server_ServerName", server_->name});
    add({"info", "Server_AdminName", server_->admin});
    add({"info", "Server_AdminEmail", "admin@brimfall.example"});
    add({"info", "Server_Region", "0"});
    add({"info", "Server_Port", server_->port});
  }
  add({"map", "Name", map_->file});
  add({"map", "Title", map_->title});
  add({"map", "Author", map_->author});
  add({"map", "IdealPlayerCount", map_->ideal});

  static constexpr std::array<std::string_view, 6> kClassByType = {
      "ArenaDeathMatch", "CaptureTheFlag", "Domination",
      "Assault",         "ArenaTeamGame",  "LastManStanding"};
  const std::string pkg(GameData::kStockPackage);
  add({"game", "GameName", (*kGameTables[lang_])[static_cast<size_t>(played_)]});
  add({"game", "GameClass", pkg + "." + std::string(kClassByType[static_cast<size_t>(played_)])});
  add({"game", "GameVersion", version_});
  add({"game", "TeamGame", yesNo(teamGame_)});
  add({"game", "TimeLimit", timeLimit});
  add({"game", "FragLimit", num(fragLimit_)});
  add({"game", "GoalTeamScore", num(goal_)});
  for (const std::string& m : mutators_) add({"game", "GameMutator", m});
  add({"game", "WeaponsStay", yesNo(weaponsStay_)});
  add({"game", "MegaSpeed", yesNo(false)});
  add({"game", "HardCore", yesNo(true)});
  add({"game", "GameSpeed", "1.000000"});
  add({"game", "AirControl", "0.350000"});
  add({"game", "JumpMatch", yesNo(false)});
  add({"game", "UseBlinker", yesNo(useBlinker_)});
  add({"game", "TournamentMode", yesNo(false)});
  add({"game", "NetMode", singlePlayer_ ? "SinglePlayer" : "DedicatedServer"});
  add({"game", "FriendlyFireScale", friendlyFire_ > 0 ? "0.500000" : "0.000000"});
  for (size_t k = 0; k < Specs::kChecksums; ++k) {
    const std::string& entry = Specs::checksums[k];
    size_t blank = entry.find(' ');
    std::string digest = entry.substr(blank + 1);
    if (static_cast<int32_t>(k) == tamperedPackage_) digest[0] = digest[0] == '0' ? '1' : '0';
    add({"game", "CodePackageChecksum", std::string_view(entry).substr(0, blank), digest});
  }
  return h;
}

}  // namespace tools::loggen::detail
