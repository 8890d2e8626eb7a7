#include "games/bf/Events.h"

#include <exception>
#include <string>

#include "util/Debug.h"
#include "util/Text.h"

namespace games::bf {
namespace {

using detail::isFalseWord;
using detail::numberText;
using detail::parseNumber;

int32_t toInt(const std::string& s) { return util::parseInt32(s); }

std::string text(int32_t v) { return std::to_string(v); }
std::string text(bool v) { return v ? "true" : "false"; }
std::string text(const std::optional<std::string>& v) { return v ? *v : "none"; }

std::string text(const std::vector<std::string>& v) {
  std::string out = "[";
  for (size_t i = 0; i < v.size(); ++i) {
    if (i > 0) out += ", ";
    out += v[i];
  }
  return out + "]";
}

}  // namespace

EGStart::EGStart(const Fields& f) : Event(kKind) { begin(f, 2, "Bad 'game_start' Event"); }

void EGStart::print() const { printFields("EGStart", {}); }

EGEnd::EGEnd(const Fields& f) : Event(kKind) {
  if (!begin(f, 3, "Bad 'game_end' Event")) return;
  reason = f[2];
  if (f.size() >= 4) checksum = f[3];
}

void EGEnd::print() const {
  printFields("EGEnd", {{"reason", reason}, {"checksum", text(checksum)}});
}

EInfo::EInfo(const Fields& f) : Event(kKind) {
  if (!begin(f, 3, "Bad 'Info' Event")) return;
  infoType = f[2];
  list.assign(f.begin() + 3, f.end());
}

void EInfo::print() const { printFields("EInfo", {{"infoType", infoType}, {"list", text(list)}}); }

EMap::EMap(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'map' Event")) return;
  var = f[2];
  val = f[3];
}

void EMap::print() const { printFields("EMap", {{"var", var}, {"val", val}}); }

EGame::EGame(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'Game' Event")) return;
  var = f[2];
  val = f[3];
  if (f.size() >= 5) valB = f[4];
}

void EGame::print() const {
  printFields("EGame", {{"var", var}, {"val", val}, {"valB", text(valB)}});
}

KillEvent::KillEvent(EventKind k, const Fields& f, std::string_view message) : Event(k) {
  if (!begin(f, 7, message)) return;
  killerNum = toInt(f[2]);
  killerWeapon = f[3];
  killedNum = toInt(f[4]);
  killedWeapon = f[5];
  visual = f[6];
}

void KillEvent::printKill(std::string_view name) const {
  printFields(name, {{"killerNum", text(killerNum)},
                     {"killerWeapon", killerWeapon},
                     {"killedNum", text(killedNum)},
                     {"killedWeapon", killedWeapon},
                     {"visual", visual}});
}

EKill::EKill(const Fields& f) : KillEvent(kKind, f, "Bad 'Kill' Event") {}
void EKill::print() const { printKill("EKill"); }

ETKill::ETKill(const Fields& f) : KillEvent(kKind, f, "Bad 'Team Kill' Event") {}
void ETKill::print() const { printKill("ETKill"); }

ESuicide::ESuicide(const Fields& f) : Event(kKind) {
  if (!begin(f, 6, "Bad 'Suicide' Event")) return;
  pNum = toInt(f[2]);
  weapon = f[3];
  visual = f[4];
  initiator = f[5];
}

void ESuicide::print() const {
  printFields(
      "ESuicide",
      {{"pNum", text(pNum)}, {"weapon", weapon}, {"visual", visual}, {"initiator", initiator}});
}

EHeadShot::EHeadShot(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'Head Shot' Event")) return;
  killerNum = toInt(f[2]);
  killedNum = toInt(f[3]);
}

void EHeadShot::print() const {
  printFields("EHeadShot", {{"killerNum", text(killerNum)}, {"killedNum", text(killedNum)}});
}

ItemEvent::ItemEvent(EventKind k, const Fields& f, std::string_view message) : Event(k) {
  if (!begin(f, 4, message)) return;
  item = f[2];
  pNum = toInt(f[3]);
}

void ItemEvent::printItem(std::string_view name) const {
  printFields(name, {{"item", item}, {"pNum", text(pNum)}});
}

EIGet::EIGet(const Fields& f) : ItemEvent(kKind, f, "Bad 'item_get' Event") {}
void EIGet::print() const { printItem("EIGet"); }

EIActivate::EIActivate(const Fields& f) : ItemEvent(kKind, f, "Bad 'item_activate' Event") {}
void EIActivate::print() const { printItem("EIActivate"); }

EIDeactivate::EIDeactivate(const Fields& f) : ItemEvent(kKind, f, "Bad 'item_deactivate' Event") {}
void EIDeactivate::print() const { printItem("EIDeactivate"); }

FlagEvent::FlagEvent(EventKind k, const Fields& f, std::string_view message) : Event(k) {
  if (!begin(f, 4, message)) return;
  pNum = toInt(f[2]);
  team = toInt(f[3]);
}

void FlagEvent::printFlag(std::string_view name) const {
  printFields(name, {{"team", text(team)}, {"pNum", text(pNum)}});
}

EFTaken::EFTaken(const Fields& f) : FlagEvent(kKind, f, "Bad 'Flag Taken' Event") {}
void EFTaken::print() const { printFlag("EFTaken"); }

EFDropped::EFDropped(const Fields& f) : FlagEvent(kKind, f, "Bad 'Flag Drop' Event") {}
void EFDropped::print() const { printFlag("EFDropped"); }

EFPickedup::EFPickedup(const Fields& f) : FlagEvent(kKind, f, "Bad 'Flag Pickedup' Event") {}
void EFPickedup::print() const { printFlag("EFPickedup"); }

EFCaptured::EFCaptured(const Fields& f) : FlagEvent(kKind, f, "Bad 'Flag Captured' Event") {}
void EFCaptured::print() const { printFlag("EFCaptured"); }

EFReturned::EFReturned(const Fields& f) : FlagEvent(kKind, f, "Bad 'Flag Returned' Event") {}
void EFReturned::print() const { printFlag("EFReturned"); }

EFReturnedt::EFReturnedt(const Fields& f) : Event(kKind) {
  if (!begin(f, 3, "Bad 'Flag Returned Timeout' Event")) return;
  team = toInt(f[2]);
}

void EFReturnedt::print() const { printFields("EFReturnedt", {{"team", text(team)}}); }

ECPCapture::ECPCapture(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'Control Point Capture' Event")) return;
  controlPoint = f[2];
  pNum = toInt(f[3]);
}

void ECPCapture::print() const {
  printFields("ECPCapture", {{"controlPoint", controlPoint}, {"pNum", text(pNum)}});
}

EDPScore::EDPScore(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'dom_player_score_update' Event")) return;
  pNum = toInt(f[2]);
  score = parseNumber(f[3]);
}

void EDPScore::print() const {
  printFields("EDPScore", {{"score", numberText(score)}, {"pNum", text(pNum)}});
}

EDScore::EDScore(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'dom_score_update' Event")) return;
  team = toInt(f[2]);
  score = parseNumber(f[3]);
}

void EDScore::print() const {
  printFields("EDScore", {{"score", numberText(score)}, {"team", text(team)}});
}

EATimelimit::EATimelimit(const Fields& f) : Event(kKind) {
  if (!begin(f, 3, "Bad 'Assault Timelimit' Event")) return;
  timelimit = f[2];
}

void EATimelimit::print() const { printFields("EATimelimit", {{"timelimit", timelimit}}); }

EAGamecode::EAGamecode(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'Assault Gamecode' Event")) return;
  code = f[2];
  part = toInt(f[3]);
}

void EAGamecode::print() const {
  printFields("EAGamecode", {{"code", code}, {"part", text(part)}});
}

EADefender::EADefender(const Fields& f) : Event(kKind) {
  if (!begin(f, 3, "Bad 'Assault Defender' Event")) return;
  defender = toInt(f[2]);
}

void EADefender::print() const { printFields("EADefender", {{"defender", text(defender)}}); }

EAAttacker::EAAttacker(const Fields& f) : Event(kKind) {
  if (!begin(f, 3, "Bad 'Assault Attacker' Event")) return;
  attacker = toInt(f[2]);
}

void EAAttacker::print() const { printFields("EAAttacker", {{"attacker", text(attacker)}}); }

BlinkEvent::BlinkEvent(EventKind k, const Fields& f, std::string_view message) : Event(k) {
  if (!begin(f, 3, message)) return;
  pNum = toInt(f[2]);
}

void BlinkEvent::printBlink(std::string_view name) const {
  printFields(name, {{"pNum", text(pNum)}});
}

EBlink::EBlink(const Fields& f) : BlinkEvent(kKind, f, "Bad 'Warp' Event") {}
void EBlink::print() const { printBlink("EBlink"); }

EBlinkThrow::EBlinkThrow(const Fields& f) : BlinkEvent(kKind, f, "Bad 'Throw Blink' Event") {}
void EBlinkThrow::print() const { printBlink("EBlinkThrow"); }

EBlinkGib::EBlinkGib(const Fields& f) : BlinkEvent(kKind, f, "Bad 'Blink Gib' Event") {}
void EBlinkGib::print() const { printBlink("EBlinkGib"); }

EBlinkFail::EBlinkFail(const Fields& f) : BlinkEvent(kKind, f, "Bad 'Blink Fail' Event") {}
void EBlinkFail::print() const { printBlink("EBlinkFail"); }

ETyping::ETyping(const Fields& f) : Event(kKind) {
  if (!begin(f, 4, "Bad 'Typing' Event")) return;
  isTyping = f[2] != "False";
  pNum = toInt(f[3]);
}

void ETyping::print() const {
  printFields("ETyping", {{"pNum", text(pNum)}, {"isTyping", text(isTyping)}});
}

EPConnect::EPConnect(const Fields& f) : Event(kKind) {
  if (!begin(f, 6, "Bad 'Player Connect' Event")) return;
  name = f[3];
  pNum = toInt(f[4]);
  admin = f[5];
  // Only a line of exactly 7 fields carries the secret; any other length
  // leaves it empty.
  if (f.size() == 7) secret = f[6];
}

void EPConnect::print() const {
  printFields("EPConnect",
              {{"name", name}, {"secret", secret}, {"admin", admin}, {"pNum", text(pNum)}});
}

EPDisconnect::EPDisconnect(const Fields& f) : Event(kKind) {
  try {
    if (!begin(f, 4, "Bad 'Player Disconnect' Event")) return;
    pNum = toInt(f[3]);
  } catch (const std::exception&) {
    valid = false;
    time = 0.0;
    pNum = 0;
    util::Debug::print("Invalid 'Player Disconnect' Event", 0);
  }
}

void EPDisconnect::print() const { printFields("EPDisconnect", {{"pNum", text(pNum)}}); }

EPRename::EPRename(const Fields& f) : Event(kKind) {
  if (!begin(f, 5, "Bad 'Player Rename' Event")) return;
  name = f[3];
  if (f.size() >= 6) {
    secret = f[4];
    pNum = toInt(f[5]);
  } else {
    pNum = toInt(f[4]);
  }
}

void EPRename::print() const {
  printFields("EPRename", {{"name", name}, {"secret", secret}, {"pNum", text(pNum)}});
}

EPTeam::EPTeam(const Fields& f, bool isTeamChange) : Event(kKind), teamChange(isTeamChange) {
  if (!begin(f, 5, "Bad 'Player Team' Event")) return;
  pNum = toInt(f[3]);
  index = toInt(f[4]);
}

void EPTeam::print() const {
  printFields("EPTeam",
              {{"index", text(index)}, {"pNum", text(pNum)}, {"teamChange", text(teamChange)}});
}

EPTeamID::EPTeamID(const Fields& f) : Event(kKind) {
  if (!begin(f, 5, "Bad 'Player TeamID' Event")) return;
  pNum = toInt(f[3]);
  id = toInt(f[4]);
}

void EPTeamID::print() const { printFields("EPTeamID", {{"id", text(id)}, {"pNum", text(pNum)}}); }

EPTeamName::EPTeamName(const Fields& f) : Event(kKind) {
  if (!begin(f, 5, "Bad 'Player TeamName' Event")) return;
  pNum = toInt(f[3]);
  name = f[4];
}

void EPTeamName::print() const {
  printFields("EPTeamName", {{"name", name}, {"pNum", text(pNum)}});
}

EPPing::EPPing(const Fields& f) : Event(kKind) {
  if (!begin(f, 5, "Bad 'Player Ping' Event")) return;
  pNum = toInt(f[3]);
  ping = toInt(f[4]);
}

void EPPing::print() const { printFields("EPPing", {{"pNum", text(pNum)}, {"ping", text(ping)}}); }

EPBot::EPBot(const Fields& f) : Event(kKind) {
  if (!begin(f, 5, "Bad 'Player IsABot' Event")) return;
  pNum = toInt(f[3]);
  isABot = !isFalseWord(f[4]);
}

void EPBot::print() const {
  printFields("EPBot", {{"pNum", text(pNum)}, {"isABot", text(isABot)}});
}

EPNovice::EPNovice(const Fields& f) : Event(kKind) {
  if (!begin(f, 5, "Bad 'Player Novice' Event")) return;
  pNum = toInt(f[3]);
  isNovice = !isFalseWord(f[4]);
}

void EPNovice::print() const {
  printFields("EPNovice", {{"pNum", text(pNum)}, {"isNovice", text(isNovice)}});
}

EPSkill::EPSkill(const Fields& f) : Event(kKind) {
  if (!begin(f, 5, "Bad 'Player Skill' Event")) return;
  pNum = toInt(f[3]);
  skill = f[4];
}

void EPSkill::print() const { printFields("EPSkill", {{"pNum", text(pNum)}, {"skill", skill}}); }

}  // namespace games::bf
