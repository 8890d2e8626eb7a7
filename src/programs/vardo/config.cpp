#include "programs/vardo/config.h"

#include <string>

#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "util/Debug.h"
#include "util/Text.h"
#include "util/Trace.h"

namespace programs::vardo {
namespace {

using util::Debug;

bool parseBool(const std::string& v) { return util::equalsIgnoreCase(v, "true"); }

void withSlash(std::string& path) {
  if (path.empty() || path.back() != '/') path += '/';
}

}  // namespace

int32_t config::parseInt(std::string_view s) { return util::parseInt32(s); }

bool config::spawnBrowser() {
  if (browserOverride == 0) return false;
  if (browserOverride == 1) return true;
  return browser;
}

std::string config::relative(const std::string& d) {
  if (dir == "RELATIVE") return home + platform::kSeparator + d;
  return d;
}

void config::resetToDefaults() {
  dir = Defaults::dir;
  dbDir = Defaults::dbDir;
  htmlDir = Defaults::htmlDir;
  saveDir = Defaults::saveDir;
  logHandling = Defaults::logHandling;
  debugType = Defaults::debugType;
  numGames = Defaults::numGames;
  delay = Defaults::delay;
  logTmp = Defaults::logTmp;
  browser = Defaults::browser;
  graph = Defaults::graph;
  exportData_ = Defaults::exportData;
  tcsMode = Defaults::tcsMode;
  tcsHtml = Defaults::tcsHtml;
  tcsTDir.reset();
  tcsDBhost = Defaults::tcsDBhost;
  tcsDBport = Defaults::tcsDBport;
  tcsDBpass = Defaults::tcsDBpass;
  tcsDBrecord = Defaults::tcsDBrecord;
  tcsVerify = Defaults::tcsVerify;
  tcsAbsPath = Defaults::tcsAbsPath;
  RankAll = Defaults::RankAll;
  RankDM = Defaults::RankDM;
  RankTG = Defaults::RankTG;
  RankCTF = Defaults::RankCTF;
  RankDom = Defaults::RankDom;
  RankA = Defaults::RankA;
  RankIG = Defaults::RankIG;
  RankLMS = Defaults::RankLMS;
  Rank1v1 = Defaults::Rank1v1;
  program = Defaults::program;
  version = Defaults::version;
  home = Defaults::home;
  os = Defaults::os;
  browserOverride = Defaults::browserOverride;
}

void config::apply(const std::string& key, const std::string& value) {
  if (key == "Directory") {
    dir = value;
  } else if (key == "DBDir") {
    dbDir = value;
  } else if (key == "HTMLDirectory") {
    htmlDir = value;
  } else if (key == "SaveDir") {
    saveDir = value;
  } else if (key == "LogFileHandling") {
    logHandling = value;
  } else if (key == "DebugType") {
    debugType = value;
    Debug::setType(value, home);
  } else if (key == "Max_Most_Recent") {
    numGames = parseInt(value);
  } else if (key == "Delay") {
    delay = parseInt(value);
    if (delay < 0 || delay > kMaxDelay) delay = 0;
  } else if (key == "LogTmpFiles") {
    logTmp = parseBool(value);
  } else if (key == "SpawnBrowser") {
    browser = parseBool(value);
  } else if (key == "CreateGraphs") {
    graph = parseBool(value);
  } else if (key == "ExportData") {
    exportData_ = parseBool(value);
  } else if (key == "tcsMode") {
    tcsMode = parseBool(value);
  } else if (key == "tcsHtml") {
    tcsHtml = value;
  } else if (key == "tcsTDir") {
    tcsTDir = value;
  } else if (key == "tcsDBhost") {
    tcsDBhost = value;
  } else if (key == "tcsDBport") {
    tcsDBport = parseInt(value);
  } else if (key == "tcsDBpass") {
    tcsDBpass = value;
  } else if (key == "tcsDBrecord") {
    tcsDBrecord = value;
  } else if (key == "tcsVerify") {
    tcsVerify = value;
  } else if (key == "tcsAbsPath") {
    tcsAbsPath = parseBool(value);
  } else if (key == "RankAllGames") {
    RankAll = parseInt(value);
  } else if (key == "RankDeathMatch") {
    RankDM = parseInt(value);
  } else if (key == "RankTeamGame") {
    RankTG = parseInt(value);
  } else if (key == "RankCTF") {
    RankCTF = parseInt(value);
  } else if (key == "RankDomination") {
    RankDom = parseInt(value);
  } else if (key == "RankAssault") {
    RankA = parseInt(value);
  } else if (key == "RankInstaGib") {
    RankIG = parseInt(value);
  } else if (key == "RankLastManStanding") {
    RankLMS = parseInt(value);
  } else if (key == "Rank1v1") {
    Rank1v1 = parseInt(value);
  }
  // Any other key is ignored without a message.
}

void config::applyCaps() {
  if (numGames > kMaxGames) numGames = kMaxGames;
  for (int32_t* r :
       {&RankAll, &RankDM, &RankTG, &RankCTF, &RankDom, &RankA, &RankIG, &RankLMS, &Rank1v1}) {
    if (*r > kMaxRank) *r = kMaxRank;
  }
  withSlash(dbDir);
  withSlash(htmlDir);
  withSlash(saveDir);
  withSlash(tcsHtml);
  withSlash(tcsVerify);
  if (tcsTDir) withSlash(*tcsTDir);
}

void config::set(const std::string& prog, const std::optional<std::string>& filename) {
  program = prog;
  std::string file = filename ? *filename : home + platform::kSeparator + prog + ".cfg";
  std::string text;
  try {
    text = platform::os().readFile(file);
  } catch (const std::exception&) {
    Debug::setType("Both", home);
    Debug::print("Warning: Bad Config file '" + file + "'\tUsing default values", 0);
    return;
  }
  read(text);
}

bool config::read(const std::string& text) {
  try {
    size_t pos = 0;
    while (pos < text.size()) {
      size_t lf = text.find('\n', pos);
      size_t end = lf == std::string::npos ? text.size() : lf;
      std::string_view line(text.data() + pos, end - pos);
      pos = end + 1;
      if (line.empty() || line[0] == '#' || line[0] == '\r') continue;
      size_t tab = line.find('\t');
      if (tab == std::string_view::npos || tab + 1 == line.size()) {
        std::string_view shown = line;
        if (!shown.empty() && shown.back() == '\r') shown.remove_suffix(1);
        Debug::print("bad line in config file, ignoring:", 0);
        Debug::print(shown, 0);
        Debug::print("", 0);
        continue;
      }
      std::string key(line.substr(0, tab));
      std::string_view rest = line.substr(tab + 1);
      size_t cr = rest.find('\r');
      std::string value(cr == std::string_view::npos ? rest : rest.substr(0, cr));
      apply(key, value);
    }
    applyCaps();
    return true;
  } catch (const std::exception& e) {
    util::traceFailure("vdsConfig", "set", e, "");
    return false;
  }
}

}  // namespace programs::vardo
