// Throughput of the log reader (tokenizer and event records) and of the whole
// match factory on a generated
// log of the staging limit's size, printed in MB/s and as a ratio to a plain
// memchr line split of the same buffer (each line kept as a string). The bare
// scan for line ends is printed too, for scale.

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include "games/Zorlog.h"
#include "games/bf/EventList.h"
#include "games/bf/GameCreator.h"
#include "games/bf/Specs.h"
#include "tools/loggen/LogGenerator.h"

namespace {

using tools::loggen::LogGenerator;

struct Sample {
  std::string file;  // the log file's bytes (16-bit units)
  std::string text;  // what the reader gets: the low byte of each unit
};

const Sample& sample() {
  static const Sample s = [] {
    tools::loggen::LogOptions o;
    o.gameType = 1;  // Capture the Flag: the widest mix of line kinds
    o.players = 32;
    o.seed = 2024;
    o.targetBytes = tools::loggen::kStagingLimit;
    o.unknownWeaponRate = 0.003;
    Sample r;
    r.file = LogGenerator(o).bytes();
    r.text = LogGenerator::lowBytes(r.file);
    return r;
  }();
  return s;
}

// The plain split: every line found with memchr and kept as a string of its
// own, the least a reader that hands lines on must do.
void memchrLineSplit(benchmark::State& state) {
  const std::string& t = sample().text;
  for (auto _ : state) {
    std::vector<std::string> lines;
    lines.reserve(t.size() / 32);
    const char* p = t.data();
    const char* end = p + t.size();
    while (p < end) {
      const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
      const char* e = lf ? static_cast<const char*>(lf) : end;
      if (e > p) lines.emplace_back(p, static_cast<size_t>(e - p));
      p = e + 1;
    }
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample().file.size()));
}

// Only finding the line ends, for scale: no line is kept.
void memchrLineCount(benchmark::State& state) {
  const std::string& t = sample().text;
  for (auto _ : state) {
    size_t lines = 0;
    const char* p = t.data();
    const char* end = p + t.size();
    while (p < end) {
      const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
      const char* e = lf ? static_cast<const char*>(lf) : end;
      lines += e > p ? 1 : 0;
      p = e + 1;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample().file.size()));
}

void tokenize(benchmark::State& state) {
  const std::optional<std::string> t = sample().text;
  for (auto _ : state) {
    auto lines = games::Zorlog::parse(t);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample().file.size()));
}

void tokenizeAndParse(benchmark::State& state) {
  const std::optional<std::string> t = sample().text;
  size_t events = 0;
  for (auto _ : state) {
    auto lines = games::Zorlog::parse(t);
    auto list = games::bf::EventList::parse(lines);
    events = list ? list->size() : 0;
    benchmark::DoNotOptimize(events);
  }
  state.counters["events"] = static_cast<double>(events);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample().file.size()));
}

// The whole match factory: tokenize, event records, replay, ranking, records.
void newGame(benchmark::State& state) {
  static const bool ready = [] {
    games::bf::Specs::init();
    return true;
  }();
  (void)ready;
  const std::optional<std::string> t = sample().text;
  games::bf::GameCreator creator;
  for (auto _ : state) {
    auto g = creator.newGame(t, false);
    benchmark::DoNotOptimize(g.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample().file.size()));
}

BENCHMARK(memchrLineCount)->Unit(benchmark::kMillisecond);
BENCHMARK(memchrLineSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(tokenize)->Unit(benchmark::kMillisecond);
BENCHMARK(tokenizeAndParse)->Unit(benchmark::kMillisecond);
BENCHMARK(newGame)->Unit(benchmark::kMillisecond);

// Keeps the time per iteration of every run for the summary.
class Summary : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !r.error_occurred)
        seconds[r.benchmark_name()] = r.GetAdjustedRealTime() * unitToSeconds(r.time_unit);
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;

 private:
  static double unitToSeconds(benchmark::TimeUnit u) {
    switch (u) {
      case benchmark::kNanosecond:
        return 1e-9;
      case benchmark::kMicrosecond:
        return 1e-6;
      case benchmark::kMillisecond:
        return 1e-3;
      default:
        return 1.0;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Each iteration frees some hundred thousand field strings at once; with
  // the allocator's default trim threshold the heap is then handed back to
  // the system and faulted in again by the next iteration, which would
  // measure page faults rather than the reader.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 25);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Summary summary;
  benchmark::RunSpecifiedBenchmarks(&summary);
  benchmark::Shutdown();

  const double mb = static_cast<double>(sample().file.size()) / 1e6;
  auto rate = [&](const char* name) {
    auto it = summary.seconds.find(name);
    return it == summary.seconds.end() || it->second <= 0 ? 0.0 : mb / it->second;
  };
  const double base = rate("memchrLineSplit");
  std::printf("\nLog of %.2f MB (%zu characters after decoding), throughput per MB of log file:\n",
              mb, sample().text.size());
  for (const char* name :
       {"memchrLineCount", "memchrLineSplit", "tokenize", "tokenizeAndParse", "newGame"}) {
    const double r = rate(name);
    if (r <= 0) continue;
    std::printf("  %-18s %10.1f MB/s   %8.4f x the memchr line split\n", name, r,
                base > 0 ? r / base : 0.0);
  }
  if (rate("tokenize") > 0)
    std::printf("  newGame runs at %.4f x the tokenizer alone\n",
                rate("newGame") / rate("tokenize"));
  return 0;
}
