// Automatic palette combining of 64 generated 256 × 256 textures into 4
// palettes: the time of each phase, and the mean PSNR of the results
// against one palette per image and one common palette.
//   palvex_auto_bench FOLDER   (the textures are written there and removed)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "palvex/cli/BatchList.h"
#include "palvex/files/ImageFiles.h"
#include "palvex/modes/AutoCombining.h"
#include "palvex/quant/Clustering.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/Quantizer.h"
#include "platform/FileSystem.h"

namespace {

using namespace palvex;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 64;
constexpr int kSide = 256;
constexpr int kPalettes = 4;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Texture f: one of four colour families, with its own pattern.
Image texture(int f) {
  Image im;
  im.width = im.height = kSide;
  im.pixels.resize(kSide * kSide * 3);
  const int family = f % kPalettes;
  const double base[4][3] = {{200, 60, 40}, {40, 160, 70}, {50, 70, 200}, {190, 180, 150}};
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const double t = std::sin((x * (f + 3) + y * (f % 5 + 1)) * 0.02) * 0.5 + 0.5;
      const double u = std::cos((x - y * (f % 7 + 2)) * 0.013) * 0.5 + 0.5;
      for (int k = 0; k < 3; ++k) {
        const double v = base[family][k] * (0.45 + 0.55 * t) + 60 * u * (k == f % 3 ? 1 : 0.3);
        im.pixels[static_cast<size_t>((y * kSide + x) * 3 + k)] =
            static_cast<uint8_t>(std::min(255.0, v));
      }
    }
  }
  return im;
}

double psnr(const Image& source, const Image& mapped) {
  double sum = 0;
  for (size_t i = 0; i < mapped.output.indices.size(); ++i) {
    const auto& e = mapped.output.palette.entries[mapped.output.indices[i]];
    for (size_t k = 0; k < 3; ++k) {
      const double d = static_cast<double>(source.pixels[i * 3 + k]) - e[k];
      sum += d * d;
    }
  }
  const double mse = sum / static_cast<double>(mapped.output.indices.size() * 3);
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Loads file f, maps it onto `palette` and returns its PSNR.
double mapped(cli::Batch& batch, int f, const Palette& palette, const cli::Settings& s) {
  Image& im = batch.records[static_cast<size_t>(f)];
  files::ImageFiles::load(im, false);
  Image source = im;
  im.output = quant::Mapper::map(im, palette, false, s);
  const double p = psnr(source, im);
  im.releasePixels();
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !platform::isDirectory(argv[1])) {
    std::fprintf(stderr, "usage: palvex_auto_bench FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  cli::Settings s;
  s.autoCommon = kPalettes;
  s.autoGiven = true;
  cli::Batch batch;
  batch.batchMode = true;
  for (int f = 0; f < kFiles; ++f) {
    Image im = texture(f);
    im.outputName = dir + "/t" + std::to_string(f) + ".bmp";
    files::ImageFiles::writeTrueColour(im, im.outputName);
    Image record;
    record.inputName = im.outputName;
    batch.records.push_back(std::move(record));
  }
  // The tool's own lines go to /dev/null; the figures to stderr.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  quant::Sampler sampler(s);

  auto start = Clock::now();
  std::vector<quant::PaletteSummary> summaries;
  for (Image& im : batch.records) {
    files::ImageFiles::load(im, false);
    summaries.push_back(modes::AutoCombining::preSample(im, sampler, s));
    im.releasePixels();
  }
  const double tPre = seconds(start);
  start = Clock::now();
  auto matrix = quant::Clustering::matrix(summaries);
  const double tMatrix = seconds(start);
  start = Clock::now();
  quant::Clustering clusters(std::move(*matrix), kFiles);
  while (clusters.count() > kPalettes) clusters.merge(clusters.closest(true));
  const double tCluster = seconds(start);
  start = Clock::now();
  const std::vector<bool> noMasks(kFiles, false);
  double autoPsnr = 0;
  for (const auto& members : clusters.clusters()) {
    bool reserved = false;
    const Palette p =
        modes::AutoCombining::clusterPalette(members, batch, noMasks, sampler, s, reserved);
    for (int f : members) autoPsnr += mapped(batch, f, p, s);
  }
  const double tRemap = seconds(start);

  double ownPsnr = 0;
  for (int f = 0; f < kFiles; ++f) {
    bool reserved = false;
    const Palette p =
        modes::AutoCombining::clusterPalette({f}, batch, noMasks, sampler, s, reserved);
    ownPsnr += mapped(batch, f, p, s);
  }
  std::vector<int> all;
  for (int f = 0; f < kFiles; ++f) all.push_back(f);
  bool reserved = false;
  const Palette common =
      modes::AutoCombining::clusterPalette(all, batch, noMasks, sampler, s, reserved);
  double commonPsnr = 0;
  for (int f = 0; f < kFiles; ++f) commonPsnr += mapped(batch, f, common, s);

  std::fprintf(stderr, "files %d of %d x %d into %d palettes\n", kFiles, kSide, kSide, kPalettes);
  std::fprintf(stderr, "pre-sampling    %8.3f s\n", tPre);
  std::fprintf(stderr, "distance matrix %8.3f s\n", tMatrix);
  std::fprintf(stderr, "clustering      %8.3f s\n", tCluster);
  std::fprintf(stderr, "cluster palettes and remapping %8.3f s\n", tRemap);
  std::fprintf(stderr,
               "mean PSNR: automatic %.2f dB, one palette per image %.2f dB, one common %.2f dB\n",
               autoPsnr / kFiles, ownPsnr / kFiles, commonPsnr / kFiles);
  for (const auto& r : batch.records)
    if (!platform::removePath(r.inputName))
      std::fprintf(stderr, "cannot delete %s\n", r.inputName.c_str());
  return 0;
}
