#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace programs::vardo {

// The settings of the statistics generator: class-level values with built-in
// defaults, overridden by the command line, the runtime's properties and one
// "Key<TAB>Value" settings file read by set().
class config {
 public:
  // Stores `prog` as the program name and reads the settings file
  // `filename`, or home + "/" + prog + ".cfg" when it is none.
  static void set(const std::string& prog, const std::optional<std::string>& filename);

  static std::string vdDir() { return dir; }
  static std::string vdDBDir() { return relative(dbDir); }
  static std::string vdHtmlDir() { return relative(htmlDir); }
  static std::string vdSaveDir() { return relative(saveDir); }
  static std::string vdLogHandling() { return logHandling; }
  static int32_t numGamesToSave() { return numGames; }
  static bool logTmpFiles() { return logTmp; }
  static bool createGraphs() { return graph; }
  // Whether the site's data (html/data/) and its explorer page are written.
  static bool exportData() { return exportData_; }
  static bool spawnBrowser();
  static void orBrowser(bool b) { browserOverride = b ? 1 : 0; }
  static void setVersion(const std::optional<std::string>& v) {
    if (v) version = *v;
  }
  static std::string getVersion() { return version; }
  static int32_t getRankAll() { return RankAll; }
  static int32_t getRankDM() { return RankDM; }
  static int32_t getRankTG() { return RankTG; }
  static int32_t getRankCTF() { return RankCTF; }
  static int32_t getRankDom() { return RankDom; }
  static int32_t getRankA() { return RankA; }
  static int32_t getRankIG() { return RankIG; }
  static int32_t getRankLMS() { return RankLMS; }
  static int32_t getRank1v1() { return Rank1v1; }

  // Reads the settings from the text of a settings file (what set() does
  // once the file is read): every line, then the caps and trailing "/".
  // A line that fails (a bad integer) is traced and stops the reading before
  // the caps; the result is then false.
  static bool read(const std::string& text);

  // The caps that reading applies: at most kMaxGames recent matches, rank
  // sizes of at most kMaxRank, a delay of 0 to kMaxDelay seconds.
  static constexpr int32_t kMaxGames = 1000;
  static constexpr int32_t kMaxRank = 64;
  static constexpr int32_t kMaxDelay = 600;

  // Every field back to its built-in default (for tests and repeated runs).
  static void resetToDefaults();

  // The built-in defaults: the initial value of every field below and what
  // resetToDefaults() restores.
  struct Defaults {
    static constexpr std::string_view dir = "RELATIVE";
    static constexpr std::string_view dbDir = "data/";
    static constexpr std::string_view htmlDir = "html/";
    static constexpr std::string_view saveDir = "processedLogs/";
    static constexpr std::string_view logHandling = "save";
    static constexpr std::string_view debugType = "StdOut";
    static constexpr int32_t numGames = 15;
    static constexpr int32_t delay = 0;
    static constexpr bool logTmp = true;
    static constexpr bool browser = true;
    static constexpr bool graph = true;
    static constexpr bool exportData = true;
    static constexpr bool tcsMode = false;
    static constexpr std::string_view tcsHtml = "/usr/local/apache/htdocs/";
    static constexpr std::string_view tcsDBhost = "127.0.0.1";
    static constexpr int32_t tcsDBport = 10002;
    static constexpr std::string_view tcsDBpass = "xx";
    static constexpr std::string_view tcsDBrecord = "a";
    static constexpr std::string_view tcsVerify = "/usr/local/tcs/logs/games.verify/";
    static constexpr bool tcsAbsPath = false;
    static constexpr int32_t RankAll = 20;
    static constexpr int32_t RankDM = 20;
    static constexpr int32_t RankTG = 20;
    static constexpr int32_t RankCTF = 20;
    static constexpr int32_t RankDom = 20;
    static constexpr int32_t RankA = 20;
    static constexpr int32_t RankIG = 20;
    static constexpr int32_t RankLMS = 20;
    static constexpr int32_t Rank1v1 = 20;
    static constexpr std::string_view program = "";
    static constexpr std::string_view version = "0.0";
    static constexpr std::string_view home = "";
    static constexpr std::string_view os = "";
    static constexpr int32_t browserOverride = 2;
  };

  // Settable from the file.
  static inline std::string dir{Defaults::dir};
  static inline std::string dbDir{Defaults::dbDir};
  static inline std::string htmlDir{Defaults::htmlDir};
  static inline std::string saveDir{Defaults::saveDir};
  static inline std::string logHandling{Defaults::logHandling};
  static inline std::string debugType{Defaults::debugType};
  static inline int32_t numGames = Defaults::numGames;
  static inline int32_t delay = Defaults::delay;
  static inline bool logTmp = Defaults::logTmp;
  static inline bool browser = Defaults::browser;
  static inline bool graph = Defaults::graph;
  static inline bool exportData_ = Defaults::exportData;
  static inline bool tcsMode = Defaults::tcsMode;
  static inline std::string tcsHtml{Defaults::tcsHtml};
  static inline std::optional<std::string> tcsTDir;  // none
  static inline std::string tcsDBhost{Defaults::tcsDBhost};
  static inline int32_t tcsDBport = Defaults::tcsDBport;
  static inline std::string tcsDBpass{Defaults::tcsDBpass};
  static inline std::string tcsDBrecord{Defaults::tcsDBrecord};
  static inline std::string tcsVerify{Defaults::tcsVerify};
  static inline bool tcsAbsPath = Defaults::tcsAbsPath;
  static inline int32_t RankAll = Defaults::RankAll;
  static inline int32_t RankDM = Defaults::RankDM;
  static inline int32_t RankTG = Defaults::RankTG;
  static inline int32_t RankCTF = Defaults::RankCTF;
  static inline int32_t RankDom = Defaults::RankDom;
  static inline int32_t RankA = Defaults::RankA;
  static inline int32_t RankIG = Defaults::RankIG;
  static inline int32_t RankLMS = Defaults::RankLMS;
  static inline int32_t Rank1v1 = Defaults::Rank1v1;

  // Not settable from the file.
  static inline std::string program{Defaults::program};
  static inline std::string version{Defaults::version};
  static inline std::string home{Defaults::home};
  static inline std::string os{Defaults::os};
  static inline int32_t browserOverride = Defaults::browserOverride;

  // The settings file's integer rule: an optional "-" and decimal digits,
  // fitting 32 bits. Throws base::NumberFormatError otherwise.
  static int32_t parseInt(std::string_view s);

 private:
  static std::string relative(const std::string& d);
  static void apply(const std::string& key, const std::string& value);
  static void applyCaps();
};

}  // namespace programs::vardo
