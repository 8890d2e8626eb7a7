#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "games/Game.h"
#include "games/GameCreator.h"
#include "programs/vardo/Frame1.h"
#include "programs/vardo/GameHtml.h"
#include "programs/vardo/Totals.h"
#include "programs/vardo/TotalsHtml.h"
#include "util/LineGraph.h"
#include "util/Timer.h"

namespace programs::vardo {

// Thrown when the process must end with `status` (a live run lock found by
// staging). The trace log is already closed when it is thrown. Deliberately
// not a std::exception, so that the run's failure handlers let it pass; the
// program's entry is the one place that catches it.
struct RunExit {
  int status;
};

// The game-independent run driver of the statistics generator: one object
// performs one processing run over the staged logs. It reaches the match,
// totals and page code only through their interfaces.
class core {
 public:
  static constexpr const char* kLauncher = "spawnBrowser.exe";
  static constexpr int64_t kTmpAgeMillis = 7200000;
  static constexpr int64_t kMaxLogSize = 1300000;
  // Exit status of a run that could not do its work (staging, the run lock
  // or any other failure that stops the run).
  static constexpr int kFailureStatus = 1;

  // Configures the stopwatch format.
  core();

  // The whole run. `configFile` is the -c value. Creates the database, page
  // and save directories when missing and lays the installed page files into
  // the page directory. Throws RunExit with status 0 when another run is
  // alive, and with kFailureStatus, after a message on standard error, when
  // the logs cannot be staged, the run lock cannot be created or any other
  // failure stops the run (which is traced as well).
  void go(const std::string& prog, const std::vector<std::string>& logfiles,
          const std::optional<std::string>& configFile, GameHtml& gh, Totals& totalStats,
          TotalsHtml& totalHtml, games::GameCreator& gc);

  // Settles the home directory and operating-system name.
  void printProps();
  // Stages the logs and checks the run lock (may throw RunExit).
  void moveLogFiles(const std::vector<std::string>& files);
  // Deletes the processed logs ("<name>.del") of a run whose totals were
  // saved.
  void deleteOldLogfiles();
  // The text of a staged log (low byte of each 16-bit unit for "VardoBF");
  // none when it cannot be read.
  std::optional<std::string> getLogfileData(const std::string& log);
  // The valid matches of one log.
  std::vector<std::shared_ptr<games::Game>> getGameStats(const std::optional<std::string>& log,
                                                         games::GameCreator& gc);
  void getTotalsFromDB(Totals& t);
  // False when the save failed; the failure's text is kept for the run's
  // closing message.
  bool putTotalsIntoDB(Totals& t);
  void createGameHtml(const games::Game& g, bool normal, bool high, bool recent);
  void createTotalsHtml(Totals& t, TotalsHtml& h);
  void deleteOldHtml(Totals& t);
  void deleteGameHtml(const std::string& name);

  // The progress window, when the platform shows one (never on Linux).
  const Frame1* frame() const { return frame_.get(); }

 private:
  // The processing loop; t1 is the per-log stopwatch, t3 the per-step one.
  // Besides the staged logs it takes again the processed logs that an
  // earlier run left behind ("<name>.log.del": that run may have ended
  // before its totals were saved), each in the place its ".log" name has
  // in the listing, so that the matches are counted in the order one
  // uninterrupted run would count them. Matches counted already are
  // repeats. Returns the number of logs taken.
  int32_t runLoop(Totals& totalStats, games::GameCreator& gc, util::Timer& t1, util::Timer& t3);
  // Settles an unfinished save of an earlier run (stops the run when it
  // cannot be settled).
  void settleEarlierSave(Totals& totalStats);
  // The totals pages of a run that opened no totals, when the main page is
  // missing while the database holds matches (a run that ended early, or a
  // page directory that was emptied).
  void restoreMainPage(Totals& totalStats, TotalsHtml& totalHtml);
  // Stages one offered file (renaming a finished ".tmp", setting aside one
  // too large); `staged` holds the names staged in this pass.
  void stageLogFile(std::string file, std::set<std::string>& staged);
  // Deletes stale run locks; throws RunExit{0} when a live one is found.
  void checkRunLocks();
  // Renames a processed log to "<log>.del"; a failure is traced. A
  // processed log of an earlier run under that name is replaced when this
  // run has taken it already (`replaceable`).
  void markProcessed(const std::string& log, bool replaceable);
  void launchBrowser(const std::string& page, bool wait, const char* failurePrefix);
  void makeRunDirectories();
  void layInSiteFiles();
  // Writes "<program>: <text>" on standard error.
  static void tellUser(const std::string& text);
  // Writes "<program>: <reason>" on standard error, closes the trace and
  // throws RunExit{kFailureStatus}.
  [[noreturn]] void stopRun(const std::string& reason);
  void status(const std::string& text);

  std::unique_ptr<util::LineGraph> bigGraph_;
  std::unique_ptr<util::LineGraph> smallGraph_;
  GameHtml* gameHtml_ = nullptr;
  std::shared_ptr<games::Game> LastGame;
  std::shared_ptr<games::Game> HighScoreGame;
  bool tcsMode_ = false;
  std::unique_ptr<Frame1> frame_;
  std::optional<std::string> lockFile_;
  bool totalsOpened_ = false;
  // The failure text of the last staging, when it failed.
  std::optional<std::string> stagingFailure_;
  // The failure text of the save, when it failed.
  std::optional<std::string> saveFailure_;
};

}  // namespace programs::vardo
