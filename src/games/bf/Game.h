#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "games/Game.h"
#include "games/bf/Event.h"
#include "games/bf/Events.h"
#include "games/bf/HighScores.h"
#include "games/bf/Player.h"

namespace games::bf {

// One Brimfall match, replayed from the lines of its log: the players and
// team records with their statistics, the settings and identity of the match,
// its ranking, records and world-stats verdict. Finished when the
// construction returns; nothing changes it afterwards.
class Game : public games::Game {
 public:
  using Lines = std::vector<std::vector<std::string>>;

  // Replays the tokenized lines of one log.
  explicit Game(const Lines& lines);
  // Tokenizes the whole text of one log (none: it could not be read) and
  // replays it.
  explicit Game(const std::optional<std::string>& text);

  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  int64_t theTime() const override { return time; }
  bool isValid() const override { return validGame; }
  std::string getServerName() const override { return servername.value_or(""); }
  std::string getMap() const override { return map.value_or(""); }

  // The loc of the player connected under number n; -1 when none is.
  int32_t getPNum(int32_t n) const;
  // The display text of the log's absolute date; sets `time`.
  std::string niceDate(const std::string& text);

  Player gameTotals{0.0};
  Player humanTotals{0.0};
  std::optional<std::string> date;
  std::optional<std::string> servername;
  std::optional<std::string> map;
  std::string timelimit = "0";
  std::string fraglimit = "0";
  std::string weaponsStay;
  std::string jumpMatch;
  std::string airControl;
  std::string useBlinker;
  std::string tournamentMode;
  std::string netMode;
  std::string goalTeamScore = "0";
  std::string friendlyFire;
  std::string assaultCode;
  std::string gameString;
  bool hardCore = false;
  bool megaSpeed = false;
  std::string gameSpeed = "unknown";
  int32_t assaultPart = 0;
  std::optional<std::string> endType;
  int64_t time = 0;
  std::optional<std::string> port;
  // The participants in order of first connection (owners).
  std::vector<std::unique_ptr<Player>> plist;
  // Decimal player number -> the player connected under it.
  std::unordered_map<std::string, Player*> phash;
  std::vector<Player*> playersByRank;
  std::vector<Player*> playersByUID;
  HighScores hs;
  bool validGame = false;
  bool validLibs = true;
  double gameLength = 0.0;
  double gameStart = 0.0;
  bool validClass = true;
  bool validMutator = true;
  bool validVersion = true;
  std::string gameClass;
  std::vector<std::string> gameMutator;
  std::optional<std::string> gameVersion;
  // The team records (owners), in order of first appearance; after the match
  // in colour order.
  std::vector<std::unique_ptr<Player>> teamTotals;
  std::vector<std::string> cpName;
  int32_t gameType = 0;
  int32_t winningTeam = -10;
  bool teamGame = false;
  bool assaultSucceeded = false;
  int32_t assaultDefender = 0;
  int32_t firstBlood = -1;
  int32_t lmsLimit = 0;
  std::vector<int32_t> lmsDeaths;
  int32_t lmsType = 0;
  std::vector<Player*> flagCarriers;
  double gameInt = 0.0;

  // A team record created from a player without a team name has no name at
  // all (as opposed to an empty one); such a record keeps the names it meets
  // as they are and cannot be placed in colour order.
  static bool nameAbsent(const Player& team) { return team.nameAbsent_; }

  // The interval between score samples, as a fraction of the match length.
  static constexpr double kSampleFraction = 0.025706940874035987;

 private:
  void doGame(const Lines& lines);
  void processEvents(const std::vector<std::unique_ptr<Event>>& events);
  void dispatch(const std::vector<std::unique_ptr<Event>>& events, size_t i);
  void updateScoreVsTime(int32_t z);
  // Clears what the team records gather from their players between samples:
  // captures in Capture the Flag, frags in Assault, Team Game and the
  // single-player type.
  void resetTeamTotals();
  void deletePlayers();
  void removePlayerEntry(Player& p, int32_t x);
  void getGameTotals();
  void getWSScores();
  void rankLMS();
  void rankPlayers();
  void getWinningTeam();
  void orderTeams();
  void getWSValid();

  void hPNovice(const EPNovice& e);
  void hPSkill(const EPSkill& e);
  void hPConnect(const EPConnect& e);
  void hPDisconnect(const EPDisconnect& e);
  void hPRename(const EPRename& e);
  void hGEnd(const EGEnd& e);
  void hGEndAlt(double t);
  void hGStart(const EGStart& e);
  void hIActivate(const EIActivate& e);
  void hIDeactivate(const EIDeactivate& e);
  void hIGet(const EIGet& e);
  void hTKill(const ETKill& e);
  void hKill(const EKill& e, const Event& next, const Event* previous);
  void hPBot(const EPBot& e);
  void hPPing(const EPPing& e);
  void hPTeam(const EPTeam& e);
  void hPTeamName(const EPTeamName& e);
  void hSuicide(const ESuicide& e);
  void hGame(const EGame& e);
  void hInfo(const EInfo& e);
  void hMap(const EMap& e);
  void hFReturnedt(const EFReturnedt& e);
  void hAGamecode(const EAGamecode& e);
  void hADefender(const EADefender& e);
  void hFReturned(const EFReturned& e);
  void hFCaptured(const EFCaptured& e);
  void hFDropped(const EFDropped& e);
  void hFPickedup(const EFPickedup& e);
  void hFTaken(const EFTaken& e);
  void hHeadShot(const EHeadShot& e);
  void hBlink(const EBlink& e);
  void hBlinkThrow(const EBlinkThrow& e);
  void hBlinkFail(const EBlinkFail& e);
  void hDScore(const EDScore& e);
  void hDPScore(const EDPScore& e);
  void hCPCapture(const ECPCapture& e);

  // The player connected under number n, or null.
  Player* player(int32_t n) const;
  Player* teamRecord(int32_t number) const;
  Player& newEntry(double t);
  void addCarrier(Player& p);
  // Removes, from the end of the list, every carrier not of `team`.
  void dropCarriersOfOtherTeams(int32_t team);
  // The first kill of the match, by the player at `k`.
  void noteFirstBlood(int32_t k, Player& pk);
  // In Last Man Standing: the pair (loc, lives lost so far) of the list.
  void noteLivesLost(int32_t loc, const Player& p);
  void setTeamName(Player& team, const std::optional<std::string>& name);
  bool isCTF() const { return gameType == Specs::kCaptureTheFlag; }
  bool isDom() const { return gameType == Specs::kDomination; }
  bool isLMS() const { return gameType == lmsType; }
};

}  // namespace games::bf
