// The cost of the match pages: 200 generated logs of mixed types (20 players,
// 20 minutes each), first taken apart in this process (replay, page and graph
// building in memory, file writing), then run end to end through the real
// vardobf with graphs on and off, and with the site's data (ExportData) on
// and off.
//
// Usage: site_bench [logs] (default 200)
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HistoryDb.h"
#include "games/bf/Game.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "programs/vardobf/output/GameHtml.h"
#include "tools/loggen/LogGenerator.h"
#include "util/Debug.h"
#include "util/LineGraph.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

std::string tempDir() {
  char tmpl[] = "/tmp/site_benchXXXXXX";
  const char* d = ::mkdtemp(tmpl);
  if (d == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  return d;
}

// Milliseconds of the run's "Entire Program" stopwatch line, or -1.
double runVardobf(const std::string& bin, const std::string& home, bool graphs, bool data = true) {
  platform::writeFile(home + "/VardoBF.cfg",
                      std::string("SpawnBrowser\tfalse\nDebugType\tStdOut\nLogFileHandling\tsave\n"
                                  "Max_Most_Recent\t1000\nCreateGraphs\t") +
                          (graphs ? "true" : "false") + "\nExportData\t" +
                          (data ? "true" : "false") + "\n");
  std::string cmd = "cd '" + home + "' && '" + bin + "/vardobf' -j . logs 2>&1";
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return -1;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  // A run that failed somewhere would be timed for less work: say so.
  if (out.find("Error in") != std::string::npos ||
      out.find("Now Processing log") == std::string::npos) {
    size_t at = out.find("Error in");
    std::fprintf(stderr, "warning: the run in %s reported a failure: %s\n", home.c_str(),
                 at == std::string::npos ? "no log processed"
                                         : out.substr(at, out.find('\n', at) - at).c_str());
  }
  const std::string mark = " ms Entire Program";
  size_t at = out.find(mark);
  if (at == std::string::npos) return -1;
  size_t start = out.rfind('\n', at);
  start = start == std::string::npos ? 0 : start + 1;
  std::string digits;
  for (size_t i = start; i < at; ++i)
    if (out[i] >= '0' && out[i] <= '9') digits += out[i];
  return digits.empty() ? -1 : std::atof(digits.c_str());
}

// The generated logs: their text as the reader sees it and their bytes as the
// server writes them.
struct Logs {
  std::vector<std::string> texts;
  std::vector<std::string> files;
  double megabytes = 0;
};

Logs generateLogs(int logs) {
  Logs out;
  for (int i = 0; i < logs; ++i) {
    tools::loggen::LogOptions o;
    o.seed = 1000 + static_cast<uint64_t>(i);
    o.gameType = i % 7;
    o.players = 20;
    o.minutes = 20;
    o.unknownWeaponRate = 0;
    o.start = tools::loggen::DateTime::fromSeconds(
        tools::loggen::DateTime().toSeconds() + int64_t{i} * 1500, 0);
    tools::loggen::LogGenerator g(o);
    out.texts.push_back(g.text());
    out.files.push_back(g.bytes());
    out.megabytes += static_cast<double>(out.files.back().size()) / 1e6;
  }
  return out;
}

void removeTree(const std::string& dir) {
  std::string rm = "rm -rf '" + dir + "'";
  if (std::system(rm.c_str()) != 0) std::perror("rm");
}

// In-process stages: replay, page building in memory, and writing.
void inProcess(const Logs& logs, const std::string& bin) {
  // Replay: tokenizing and replaying a log into a match.
  std::vector<std::unique_ptr<games::bf::Game>> games;
  auto t0 = Clock::now();
  for (const std::string& t : logs.texts)
    games.push_back(std::make_unique<games::bf::Game>(std::optional<std::string>(t)));
  auto t1 = Clock::now();
  // Building: every page and graph of every match in memory, written nowhere.
  // The graphs with the installed backgrounds, as a run draws them.
  util::LineGraph small(500, 160), large(500, 500);
  const std::string graphics = bin + "/../share/vardobf/html/graphics/";
  if (!small.loadBackgroundImage(graphics + "graph_back_Vardo.gif") ||
      !large.loadBackgroundImage(graphics + "graph_back_Vardo_big.gif"))
    std::printf("(graph backgrounds not found in %s: the graphs are drawn on grey)\n",
                graphics.c_str());
  programs::vardobf::output::GameHtml html;
  html.setGraphs(small, large);
  for (const auto& g : games) html.writeGame(*g, "Bench Server", {}, 1, true);
  auto t2 = Clock::now();
  // Building and writing into one directory per match.
  const std::string out = tempDir();
  for (size_t i = 0; i < games.size(); ++i)
    html.writeGame(*games[i], "Bench Server", {out + "/" + std::to_string(i)}, 1, true);
  auto t3 = Clock::now();
  removeTree(out);
  const double replay = seconds(t0, t1), build = seconds(t1, t2), write = seconds(t2, t3) - build;
  const double total = replay + build + write;
  const double n = static_cast<double>(logs.files.size());
  std::printf("in process            seconds   share\n");
  std::printf("  replay              %7.3f  %5.1f%%\n", replay, 100 * replay / total);
  std::printf("  page building       %7.3f  %5.1f%%\n", build, 100 * build / total);
  std::printf("  file writing        %7.3f  %5.1f%%\n", write, 100 * write / total);
  std::printf("  together            %7.3f  %7.1f logs/s  %6.2f MB/s\n\n", total, n / total,
              logs.megabytes / total);
}

// End to end: the real program over the same logs with three settings: graphs
// and data on, graphs off, data off. Its stopwatch covers the whole run but
// the final pause. Each setting twice, in turns, keeping the faster run of
// each; every run starts in a fresh folder and folders are removed only at
// the end. Milliseconds of each setting; -1 where no run gave a time.
struct Setting {
  bool graphs, data;
};
constexpr std::array<Setting, 3> kSettings = {{{true, true}, {false, true}, {true, false}}};

std::array<double, 3> endToEnd(const Logs& logs, const std::string& bin) {
  std::array<double, 3> ms = {-1, -1, -1};
  std::vector<std::string> homes;
  for (size_t round = 0; round < 2 * kSettings.size(); ++round) {
    const size_t k = round % kSettings.size();
    const std::string home = tempDir();
    homes.push_back(home);
    for (const char* d : {"data", "html", "processedLogs", "logs"})
      platform::ensureDirectory(home + "/" + d);
    for (size_t i = 0; i < logs.files.size(); ++i)
      platform::writeFile(home + "/logs/m" + std::to_string(1000 + i) + ".log", logs.files[i]);
    const double t = runVardobf(bin, home, kSettings[k].graphs, kSettings[k].data);
    if (t >= 0 && (ms[k] < 0 || t < ms[k])) ms[k] = t;
  }
  for (const std::string& home : homes) removeTree(home);
  return ms;
}

// One log added by a whole run to an empty database and to one of 20,000
// matches and 5,000 players, totals pages included, with the site's data on
// and off: milliseconds of each, [history][data]. The large history has the
// data of one earlier run, as a site that writes its data has.
std::array<std::array<double, 2>, 2> oneLogAdded(const Logs& logs, const std::string& bin) {
  std::array<std::array<double, 2>, 2> added = {{{-1, -1}, {-1, -1}}};
  for (size_t history = 0; history < 2; ++history) {
    const std::string source = tempDir();
    for (const char* d : {"data", "html", "processedLogs", "logs"})
      platform::ensureDirectory(source + "/" + d);
    if (history == 1) {
      bench_support::buildHistory(source);
      platform::writeFile(source + "/logs/earlier.log", logs.files.back());
      runVardobf(bin, source, true, true);
    }
    for (int round = 0; round < 6; ++round) {
      const size_t data = static_cast<size_t>(round % 2);
      const std::string home = tempDir();
      std::string copy = "cp -a '" + source + "/.' '" + home + "/' && sync";
      if (std::system(copy.c_str()) != 0) std::perror("cp");
      platform::writeFile(home + "/logs/new.log", logs.files.front());
      const double t = runVardobf(bin, home, true, data == 1);
      double& best = added[history][data];
      if (t >= 0 && (best < 0 || t < best)) best = t;
      removeTree(home);
    }
    removeTree(source);
  }
  return added;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 200;
  util::Debug::setType("None", ".");
  games::bf::Specs::init();

  const Logs logs = generateLogs(count);
  std::printf(
      "%d logs of mixed types, 20 players, 20 minutes: %.1f MB as the server writes them\n\n",
      count, logs.megabytes);
  const char* binEnv = std::getenv("BRIM_BINARY_DIR");
  std::string bin = std::string(binEnv != nullptr ? binEnv : ".") + "/bin";
  if (!platform::isFile(bin + "/vardobf")) bin = ".";

  inProcess(logs, bin);
  const std::array<double, 3> ms = endToEnd(logs, bin);
  const std::array<std::array<double, 2>, 2> added = oneLogAdded(logs, bin);
  if (ms[0] < 0 || ms[1] < 0 || ms[2] < 0) {
    std::printf("end to end: vardobf not found or no stopwatch line (set BRIM_BINARY_DIR)\n");
    return 1;
  }
  const double n = count, mb = logs.megabytes;
  std::printf("end to end (vardobf)  seconds   logs/s    MB/s\n");
  const char* const names[] = {"graphs and data", "graphs off", "data off"};
  for (size_t k = 0; k < kSettings.size(); ++k)
    std::printf("  %-18s  %7.3f  %7.1f  %6.2f\n", names[k], ms[k] / 1000, n / (ms[k] / 1000),
                mb / (ms[k] / 1000));
  std::printf("  graphs on / off     %7.2f\n", ms[0] / ms[1]);
  std::printf("  data on / off       %7.2f (target: at most 1.10)\n\n", ms[0] / ms[2]);
  std::printf("one log added (vardobf, pages and totals pages)   data on   data off   on / off\n");
  std::printf("  empty database                             %8.1f  %8.1f  %8.2f\n", added[0][1],
              added[0][0], added[0][1] / added[0][0]);
  std::printf("  %d matches, %d players               %8.1f  %8.1f  %8.2f\n",
              bench_support::kMatches, bench_support::kPlayers, added[1][1], added[1][0],
              added[1][1] / added[1][0]);
  std::printf("  history / empty (data on)                  %8.2f (target: at most 1.5)\n",
              added[1][1] / added[0][1]);
  return 0;
}
