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
  static void read(const std::string& text);

  // Every field back to its built-in default (for tests and repeated runs).
  static void resetToDefaults();

  // Settable from the file.
  static inline std::string dir = "RELATIVE";
  static inline std::string dbDir = "data/";
  static inline std::string htmlDir = "html/";
  static inline std::string saveDir = "processedLogs/";
  static inline std::string logHandling = "save";
  static inline std::string debugType = "StdOut";
  static inline int32_t numGames = 15;
  static inline int32_t delay = 0;
  static inline bool logTmp = true;
  static inline bool browser = true;
  static inline bool graph = true;
  static inline bool tcsMode = false;
  static inline std::string tcsHtml = "/usr/local/apache/htdocs/";
  static inline std::optional<std::string> tcsTDir;
  static inline std::string tcsDBhost = "127.0.0.1";
  static inline int32_t tcsDBport = 10002;
  static inline std::string tcsDBpass = "xx";
  static inline std::string tcsDBrecord = "a";
  static inline std::string tcsVerify = "/usr/local/tcs/logs/games.verify/";
  static inline bool tcsAbsPath = false;
  static inline int32_t RankAll = 20;
  static inline int32_t RankDM = 20;
  static inline int32_t RankTG = 20;
  static inline int32_t RankCTF = 20;
  static inline int32_t RankDom = 20;
  static inline int32_t RankA = 20;
  static inline int32_t RankIG = 20;
  static inline int32_t RankLMS = 20;
  static inline int32_t Rank1v1 = 20;

  // Not settable from the file.
  static inline std::string program;
  static inline std::string version = "0.0";
  static inline std::string home;
  static inline std::string os;
  static inline int32_t browserOverride = 2;

  // The settings file's integer rule: an optional "-" and decimal digits,
  // fitting 32 bits. Throws base::NumberFormatError otherwise.
  static int32_t parseInt(std::string_view s);

 private:
  static std::string relative(const std::string& d);
  static void apply(const std::string& key, const std::string& value);
  static void applyCaps();
};

}  // namespace programs::vardo
