#include "programs/vardo/core.h"

#include <cstdio>
#include <set>
#include <type_traits>

#include "base/Failure.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "programs/vardo/RunLock.h"
#include "programs/vardo/SiteFiles.h"
#include "programs/vardo/config.h"
#include "programs/vardo/coreDetail.h"
#include "util/Debug.h"
#include "util/Text.h"
#include "util/Timer.h"
#include "util/Trace.h"

namespace programs::vardo {

// RunExit passes through the failure handlers of the run, which catch
// std::exception only; VardoBF::main is the one place that catches it.
static_assert(!std::is_base_of_v<std::exception, RunExit>);

using detail::kDone;
using detail::now;
using detail::removeTraced;

namespace {

using base::failureText;
using util::Debug;
using util::endsWith;

constexpr char kSep = platform::kSeparator;
const char* const kGameDir = "Individual_Game_Stats";

const char* const kMainPage = "Vardo_Main.html";

// A server name from a log used as one directory level: it must not climb out
// of its base directory or name a deeper one (on Windows "\\" separates
// names too).
std::string safeDirName(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (std::string_view(platform::kSeparators).find(c) != std::string_view::npos || c == '\0')
      c = '_';
  if (out.empty() || out == "." || out == "..") out = "_" + out;
  return out;
}

}  // namespace

core::core() { util::Timer::init(); }

void core::status(const std::string& text) {
  if (frame_) frame_->printText(text);
}

void core::launchBrowser(const std::string& page, bool wait, const char* failurePrefix) {
  if (!config::spawnBrowser() || config::os == "Mac OS") return;
  // The launcher is installed beside the program; one in the home directory
  // takes precedence, so that a site can bring its own.
  std::string launcher = config::home + kSep + kLauncher;
  if (!platform::os().exists(launcher)) {
    std::string installed = platform::installationHome() + kSep + kLauncher;
    if (platform::os().isFile(installed)) launcher = installed;
  }
  std::vector<std::string> cmd = {launcher, "\"" + config::vdHtmlDir() + page + "\""};
  try {
    if (wait)
      platform::runAndWait(cmd);
    else
      platform::spawnDetached(cmd);
  } catch (const std::exception& e) {
    Debug::print(failurePrefix + failureText(e), 0);
  }
}

void core::go(const std::string& prog, const std::vector<std::string>& logfiles,
              const std::optional<std::string>& configFile, GameHtml& gh, Totals& totalStats,
              TotalsHtml& totalHtml, games::GameCreator& gc) {
  try {
    std::string started = platform::defaultDateText(now());
    Debug::print("I core.go", 1);
    util::Timer t1;
    util::Timer t2;
    gameHtml_ = &gh;
    printProps();
    config::set(prog, configFile);
    Debug::print(started, 0);
    tcsMode_ = config::tcsMode;
    makeRunDirectories();
    layInSiteFiles();

    launchBrowser("processing.html", true, "Error Couldn't Launch Browser 1: ");

    if (config::os != "Linux") {
      frame_ = std::make_unique<Frame1>();
      frame_->setVisible(true);
    }

    if (config::delay > 0) {
      std::string text = "Now Sleeping " + std::to_string(config::delay) + " seconds";
      status(text);
      Debug::print(text, 0);
      platform::clock().sleepMillis(int64_t{config::delay} * 1000);
    }

    t1.mark("Init");
    stagingFailure_.reset();
    moveLogFiles(logfiles);
    if (stagingFailure_)
      stopRun("the logs could not be staged in " + config::vdDBDir() + " (" + *stagingFailure_ +
              ")");
    settleEarlierSave(totalStats);
    t1.mark("moveLogFiles");

    util::Timer t3;
    HighScoreGame.reset();
    LastGame.reset();
    bigGraph_ = std::make_unique<util::LineGraph>(500, 500);
    bigGraph_->loadBackgroundImage(config::vdHtmlDir() + "graphics/graph_back_Vardo_big.gif");
    smallGraph_ = std::make_unique<util::LineGraph>(500, 160);
    smallGraph_->loadBackgroundImage(config::vdHtmlDir() + "graphics/graph_back_Vardo.gif");
    gh.setGraphs(*smallGraph_, *bigGraph_);

    totalsOpened_ = false;
    if (runLoop(totalStats, gc, t1, t3) == 0) {
      // A run with nothing to do says so (a wrong log path is the usual
      // reason) and goes on as a run with no valid match.
      std::string where;
      for (size_t i = 0; i < logfiles.size(); ++i) where += (i == 0 ? "" : ", ") + logfiles[i];
      tellUser("no logs to process in " + where + (where.empty() ? "" : " or ") +
               config::vdDBDir());
    }

    if (HighScoreGame) createGameHtml(*HighScoreGame, false, true, false);
    if (LastGame) createGameHtml(*LastGame, false, false, true);
    if (!totalsOpened_) restoreMainPage(totalStats, totalHtml);

    bool saved = true;
    saveFailure_.reset();
    if (totalsOpened_) {
      if (totalStats.isModified()) totalStats.sortPlayers();
      createTotalsHtml(totalStats, totalHtml);
      saved = putTotalsIntoDB(totalStats);
      if (saved && !tcsMode_) deleteOldHtml(totalStats);
    }

    if (lockFile_) {
      removeTraced(*lockFile_, "go");
      lockFile_.reset();
    }
    if (saved) deleteOldLogfiles();

    launchBrowser("Vardo_Main.html", false, "Error Couldn't Launch Browser 2: ");

    t2.mark("Entire Program");
    platform::clock().sleepMillis(3000);
    if (frame_) frame_->setVisible(false);
    Debug::print("O core.go", 1);
    if (!saved)
      stopRun("the totals could not be saved (" + saveFailure_.value_or("unknown failure") +
              "); the processed logs stay in " + config::vdDBDir() +
              " and are counted by the next run");
  } catch (const std::exception& e) {
    util::traceFailure("vdsToplvl", "go", e);
    // The run stopped without saving: say so, and do not end with success.
    stopRun("the run stopped before its end (" + failureText(e) + ")");
  }
}

void core::tellUser(const std::string& text) {
  std::fflush(stdout);
  const std::string prog = config::program.empty() ? "vardobf" : config::program;
  std::fprintf(stderr, "%s: %s\n", prog.c_str(), text.c_str());
  std::fflush(stderr);
}

void core::stopRun(const std::string& reason) {
  tellUser(reason);
  Debug::close();
  throw RunExit{kFailureStatus};
}

void core::makeRunDirectories() {
  for (const std::string& dir : {config::vdDBDir(), config::vdHtmlDir(), config::vdSaveDir()}) {
    try {
      if (platform::os().isDirectory(dir)) continue;
      SiteFiles::makeDirectories(dir);
      Debug::print("Created directory " + dir, 1);
    } catch (const std::exception& e) {
      util::traceFailure("core", "makeRunDirectories", e);
    }
  }
}

void core::layInSiteFiles() {
  Debug::print("I core.layInSiteFiles", 1);
  try {
    std::string from = SiteFiles::installedDir(platform::installationHome());
    if (!platform::os().isDirectory(from)) {
      Debug::print("Warning: no installed page files in " + from, 0);
      return;
    }
    int32_t n =
        SiteFiles::layInto(from, config::vdHtmlDir(),
                           config::exportData() && !config::tcsMode ? std::set<std::string>{}
                                                                    : SiteFiles::explorerFiles());
    if (n > 0)
      Debug::print(std::to_string(n) + " installed page files copied into " + config::vdHtmlDir(),
                   1);
    Debug::print("O core.layInSiteFiles", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "layInSiteFiles", e);
  }
}

int32_t core::runLoop(Totals& totalStats, games::GameCreator& gc, util::Timer& t1,
                      util::Timer& t3) {
  const std::string dbDir = config::vdDBDir();
  // Processed logs of an earlier run, taken again under their ".log" names.
  std::set<std::string> leftovers;
  for (const std::string& entry : platform::os().listDirectory(dbDir))
    if (endsWith(entry, ".log.del") && platform::os().isFile(dbDir + entry))
      leftovers.insert(entry);
  std::set<std::string> taken;  // each staged log is taken at most once per run
  int32_t y = 0;
  for (;;) {
    std::string lock = dbDir + std::to_string(now()) + ".lock";
    try {
      try {
        platform::os().writeFile(lock, RunLock::ownerText());
      } catch (const base::IOError&) {
        // A full disk may still take an empty lock, judged by its age.
        platform::os().writeFile(lock, "");
      }
    } catch (const base::IOError& e) {
      throw base::IOError(std::string("the run lock could not be created: ") + e.what());
    }
    if (lockFile_ && *lockFile_ != lock) removeTraced(*lockFile_, "runLoop");
    lockFile_ = lock;

    // The next log is the first by its ".log" name; a processed log of an
    // earlier run goes before a staged log of the same name.
    std::optional<std::string> name;
    std::string nameKey;
    bool nameIsLeftover = false;
    int32_t n = 0;
    for (const std::string& entry : platform::os().listDirectory(dbDir)) {
      if (taken.count(entry) != 0) continue;
      const bool leftover = leftovers.count(entry) != 0;
      if (!leftover && !endsWith(entry, ".log")) continue;
      ++n;
      std::string key = leftover ? entry.substr(0, entry.size() - kDone.size()) : entry;
      if (!name || key < nameKey || (key == nameKey && leftover && !nameIsLeftover)) {
        name = entry;
        nameKey = std::move(key);
        nameIsLeftover = leftover;
      }
    }
    int32_t z = y + n;
    if (!name) {
      status("Writing HTML...(this may take a few seconds)");
      return y;
    }
    ++y;
    taken.insert(*name);
    std::string text =
        "Now Processing log " + std::to_string(y) + " of " + std::to_string(z) + ": " + *name;
    status(text);
    Debug::print(text, 0);

    std::string logNo = "Log " + std::to_string(y);
    auto games = getGameStats(getLogfileData(*name), gc);
    t3.mark(logNo + " processed");

    for (const auto& g : games) {
      if (!totalsOpened_) {
        getTotalsFromDB(totalStats);
        totalsOpened_ = true;
      }
      if (!totalStats.isNewGame(*g)) {
        Debug::print(std::to_string(g->theTime()) + " is a Repeat Game, removing...", 1);
        continue;
      }
      totalStats.update(*g);
      t3.mark(logNo + " totals updated");
      bool normal = totalStats.isPrintableGame(*g, config::numGamesToSave());
      bool high = totalStats.isHighGame(*g);
      bool recent = totalStats.isRecentGame(*g);
      if (z > 1) {
        if (high) HighScoreGame = g;
        if (recent) LastGame = g;
        createGameHtml(*g, normal, false, false);
      } else {
        createGameHtml(*g, normal, high, recent);
      }
    }

    if (!nameIsLeftover) {
      const std::string done = *name + std::string(kDone);
      markProcessed(dbDir + *name, taken.count(done) != 0);
      taken.insert(done);
    }
    t3.mark(logNo + " written");
    t1.mark(logNo + " total");
  }
}

void core::settleEarlierSave(Totals& totalStats) {
  try {
    totalStats.settleSave();
  } catch (const std::exception& e) {
    util::traceFailure("core", "settleEarlierSave", e);
    stopRun("the unfinished save of an earlier run in " + config::vdDBDir() +
            " could not be settled (" + failureText(e) + "); nothing was changed");
  }
}

void core::restoreMainPage(Totals& totalStats, TotalsHtml& totalHtml) {
  try {
    if (platform::os().exists(config::vdHtmlDir() + kMainPage) || !totalStats.hasSavedMatches())
      return;
    Debug::print("I core.restoreMainPage", 1);
    getTotalsFromDB(totalStats);
    totalStats.sortPlayers();
    totalHtml.writeTotals(totalStats);
    Debug::print("O core.restoreMainPage", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "restoreMainPage", e);
  }
}

void core::printProps() {
  std::string installHome = platform::installationHome();
  std::string working = platform::workingDirectory();
  config::os = platform::osName();
  if (config::os == "Linux") {
    if (config::home.empty()) config::home = working;
  } else if (config::os == "Mac OS") {
    config::home = working;
  } else {
    config::home = installHome;
  }
}

std::optional<std::string> core::getLogfileData(const std::string& log) {
  Debug::print("I core.getLogfileData", 1);
  try {
    std::string bytes = platform::os().readFile(config::vdDBDir() + log);
    std::string text = config::program == "VardoBF" ? util::lowBytes(bytes) : std::move(bytes);
    Debug::print("O core.getLogfileData", 1);
    return text;
  } catch (const std::exception& e) {
    util::traceFailure("core", "getLogfileData", e);
    return std::nullopt;
  }
}

std::vector<std::shared_ptr<games::Game>> core::getGameStats(const std::optional<std::string>& log,
                                                             games::GameCreator& gc) {
  Debug::print("I core.getGameStats", 1);
  std::vector<std::shared_ptr<games::Game>> result;
  try {
    std::shared_ptr<games::Game> g = gc.newGame(log, tcsMode_);
    if (g && g->isValid()) result.push_back(std::move(g));
    Debug::print("O core.getGameStats", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "getGameStats", e);
    result.clear();
  }
  return result;
}

void core::getTotalsFromDB(Totals& t) {
  Debug::print("I core.getTotalsFromDB", 1);
  try {
    t.readDBs();
    Debug::print("O vdsTopLvl.getDB", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "getTotalsFromDB", e);
  }
}

bool core::putTotalsIntoDB(Totals& t) {
  Debug::print("I core.putTotalsIntoDB", 1);
  try {
    t.writeDBs();
    Debug::print("O core.putTotalsIntoDB", 1);
    return true;
  } catch (const std::exception& e) {
    util::traceFailure("core", "putTotalsIntoDB", e);
    saveFailure_ = failureText(e);
    return false;
  }
}

void core::createGameHtml(const games::Game& g, bool normal, bool high, bool recent) {
  Debug::print("I core.createGameHtml", 1);
  try {
    std::vector<std::string> dirs;
    if (tcsMode_) {
      if (!normal) return;
      for (const char* prefix : {"tourney/", "ffa/", "inet/"}) {
        std::string base = config::tcsHtml + prefix + config::tcsTDir.value_or("") + kGameDir;
        platform::os().ensureDirectory(base);
        dirs.push_back(base + kSep + safeDirName(g.getServerName()));
      }
      gameHtml_->writeGame(g, g.getServerName(), dirs, 1, config::createGraphs());
      return;
    }
    std::string base = config::vdHtmlDir() + kGameDir;
    platform::os().ensureDirectory(base);
    if (normal) dirs.push_back(base + kSep + std::to_string(g.theTime()));
    if (high) dirs.push_back(base + kSep + "Highest_Score");
    if (recent) dirs.push_back(base + kSep + "Last_Game");
    if (dirs.empty()) return;
    gameHtml_->writeGame(g, g.getServerName() + " " + g.getMap(), dirs, 1, config::createGraphs());
    Debug::print("O core.createGameHtml", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "createGameHtml", e);
  }
}

void core::createTotalsHtml(Totals& t, TotalsHtml& h) {
  Debug::print("I core.createTotalsHtml", 1);
  try {
    if (!t.isModified()) {
      Debug::print("O core.createTotalsHtml: Nothing to update", 1);
      return;
    }
    h.writeTotals(t);
    Debug::print("O core.createTotalsHtml", 1);
  } catch (const std::exception& e) {
    util::traceFailure("createTotalsHtml", e);
  }
}

void core::deleteOldHtml(Totals& t) {
  Debug::print("I core.deleteOldHtml", 1);
  try {
    int32_t k = std::min(config::numGamesToSave(), t.gListSize());
    std::set<std::string> kept;
    for (int32_t i = 0; i < k; ++i) kept.insert(std::to_string(t.gListElement(i)));
    std::string base = config::vdHtmlDir() + kGameDir;
    for (const std::string& entry : platform::os().listDirectory(base)) {
      if (entry == "Recent_Index.html" || entry == "Highest_Score" || entry == "Last_Game")
        continue;
      if (kept.count(entry) == 0) deleteGameHtml(entry);
    }
    Debug::print("O core.deleteOldHtml", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "deleteOldHtml", e);
  }
}

void core::deleteGameHtml(const std::string& name) {
  Debug::print("I core.deleteGameHtml", 1);
  try {
    std::string d = config::vdHtmlDir() + kGameDir + kSep + name;
    // Only match directories are deleted; any other entry is left alone.
    if (platform::os().isDirectory(d)) {
      if (!platform::os().canWrite(d)) {
        Debug::print("No permission to delete game '" + name + "'", 0);
      } else {
        for (const std::string& f : platform::os().listDirectory(d)) {
          std::string path = d + kSep + f;
          if (!platform::os().canWrite(path) || !platform::os().removePath(path))
            Debug::print("No permission to delete file'" + f + "'in Game '" + name + "'", 0);
        }
        if (!platform::os().removePath(d)) Debug::print("Could not delete game '" + name + "'", 0);
      }
    }
  } catch (const std::exception& e) {
    util::traceFailure("core", "deleteGameHtml", e);
  }
  Debug::print("O core.deleteGameHtml", 1);
}

}  // namespace programs::vardo
