// Drawing and encoding the large score graph (500 x 500, 32 lines), and the
// LZW encoder against zlib's compress2 at level 6 on the same pixels. After
// the runs the program prints the time per graph and the speed ratio.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "util/Gif.h"
#include "util/LineGraph.h"

namespace {

constexpr const char* kDrawEncode = "BM_DrawAndEncodeGraph";
constexpr const char* kLzw = "BM_LzwEncode";
constexpr const char* kZlib = "BM_ZlibCompress2";

std::string backgroundPath() {
  const char* dir = std::getenv("BRIM_SOURCE_DIR");
  return std::string(dir != nullptr ? dir : BRIM_DEFAULT_SOURCE_DIR) +
         "/assets/graphics/graph_back_Vardo_big.gif";
}

// 32 players over a 20-minute match, 40 samples each, the same every time.
const std::vector<std::vector<double>>& sampleLines() {
  static const std::vector<std::vector<double>> lines = [] {
    std::vector<std::vector<double>> all;
    uint32_t seed = 42;
    for (int p = 0; p < 32; ++p) {
      std::vector<double> pts;
      double score = 0;
      for (int i = 0; i < 40; ++i) {
        pts.push_back(i * 30.0 / 60);
        pts.push_back(score);
        seed = seed * 1103515245u + 12345u;
        score += static_cast<double>((seed >> 16) % (40 - p)) - 2;
      }
      all.push_back(std::move(pts));
    }
    return all;
  }();
  return lines;
}

void drawSample(util::LineGraph& g) {
  g.initGraph();
  g.setLabel(1);
  for (const auto& pts : sampleLines()) g.addLine(pts, 0, 0);
  g.drawGraph();
}

util::LineGraph& sampleGraph() {
  static util::LineGraph g = [] {
    util::LineGraph graph(500, 500);
    if (!graph.loadBackgroundImage(backgroundPath()))
      std::printf("(background not found; drawing on the plain fill)\n");
    return graph;
  }();
  return g;
}

// The canvas of the sample graph, flattened, as both encoders take it.
util::Gif& sampleImage() {
  static util::Gif gif = [] {
    util::LineGraph& g = sampleGraph();
    drawSample(g);
    util::Gif img;
    img.width = img.columns = g.width();
    img.height = img.rows = g.height();
    img.pixels = g.pixels();
    img.colormap = g.colormap();
    for (const auto& row : img.pixels) img.pix.insert(img.pix.end(), row.begin(), row.end());
    return img;
  }();
  return gif;
}

void BM_DrawAndEncodeGraph(benchmark::State& state) {
  util::LineGraph& g = sampleGraph();
  std::vector<uint8_t> out;
  for (auto _ : state) {
    drawSample(g);
    out.clear();
    g.writeToGif(out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["gif_bytes"] = static_cast<double>(out.size());
}

void BM_DrawGraph(benchmark::State& state) {
  util::LineGraph& g = sampleGraph();
  for (auto _ : state) {
    drawSample(g);
    benchmark::DoNotOptimize(g.pixels().data());
  }
}

void BM_LzwEncode(benchmark::State& state) {
  util::Gif& img = sampleImage();
  std::vector<uint8_t> out;
  for (auto _ : state) {
    out.clear();
    img.encodePixels(out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes_out"] = static_cast<double>(out.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * img.pix.size()));
}

void BM_ZlibCompress2(benchmark::State& state) {
  util::Gif& img = sampleImage();
  std::vector<Bytef> out(compressBound(static_cast<uLong>(img.pix.size())));
  uLongf n = 0;
  for (auto _ : state) {
    n = static_cast<uLongf>(out.size());
    compress2(out.data(), &n, img.pix.data(), static_cast<uLong>(img.pix.size()), 6);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes_out"] = static_cast<double>(n);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * img.pix.size()));
}

BENCHMARK(BM_DrawAndEncodeGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzwEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompress2)->Unit(benchmark::kMillisecond);

// Keeps the seconds per iteration of every run while printing as usual.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
        seconds[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const auto& s = reporter.seconds;
  std::printf("\n");
  if (s.count(kDrawEncode) != 0)
    std::printf("time per 500 x 500 graph with 32 lines (draw + GIF): %.3f ms\n",
                s.at(kDrawEncode) * 1e3);
  if (s.count(kLzw) != 0 && s.count(kZlib) != 0)
    std::printf(
        "LZW encoder vs zlib compress2 level 6 on the same %d pixels: LZW is %.2fx zlib's speed "
        "(%.3f ms vs %.3f ms)\n",
        500 * 500, s.at(kZlib) / s.at(kLzw), s.at(kLzw) * 1e3, s.at(kZlib) * 1e3);
  return 0;
}
