// Upload throughput: 100 generated logs (about 30 MB) sent by the built
// tessaly to the built collector server on 127.0.0.1, against zlib level-9
// compression alone of the same files (64000-byte chunks, a sync flush after
// each, as the uploader compresses). The compressor is the limit, so the
// ratio shows what the protocol, the network and the collector's safe store
// cost on top of it.
//
// Usage: upload_bench [count [bytes-per-log]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "platform/FileSystem.h"
#include "platform/System.h"
#include "tools/loggen/LogGenerator.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

pid_t spawn(const std::vector<std::string>& args, const std::string& out) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0].c_str(), &fa, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

// zlib alone: every file compressed as the uploader does it, in memory.
size_t compressAll(const std::vector<std::string>& files) {
  size_t produced = 0;
  std::vector<unsigned char> out(64000);
  for (const std::string& f : files) {
    std::string data = platform::readFile(f);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    for (size_t off = 0; off < data.size(); off += 64000) {
      z.next_in = reinterpret_cast<Bytef*>(data.data() + off);
      z.avail_in = static_cast<uInt>(std::min<size_t>(64000, data.size() - off));
      do {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_SYNC_FLUSH);
        produced += out.size() - z.avail_out;
      } while (z.avail_out == 0);
    }
    deflateEnd(&z);
  }
  return produced;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100;
  const int64_t perLog = argc > 2 ? std::atoll(argv[2]) : 300000;
  const std::string bin = platform::installationHome();
  const std::string work =
      (std::filesystem::temp_directory_path() / ("upload_bench_" + std::to_string(::getpid())))
          .string();
  std::filesystem::create_directories(work + "/logs");
  std::filesystem::create_directories(work + "/store");

  tools::loggen::BatchOptions b;
  b.base.targetBytes = perLog;
  b.base.minutes = 600;
  b.base.players = 16;
  b.base.unknownWeaponRate = 0.003;
  b.count = count;
  b.allTypes = true;
  b.directory = work + "/logs";
  std::vector<std::string> files = tools::loggen::writeBatch(b);
  int64_t total = 0;
  for (const auto& f : files) total += platform::fileSize(f);
  const double mb = static_cast<double>(total) / 1e6;
  std::printf("%d logs, %.1f MB\n", count, mb);

  // Baseline, best of three.
  double zlibSeconds = 1e9;
  size_t compressed = 0;
  for (int i = 0; i < 3; ++i) {
    auto t0 = Clock::now();
    compressed = compressAll(files);
    zlibSeconds = std::min(zlibSeconds, seconds(t0, Clock::now()));
  }

  pid_t collector =
      spawn({bin + "/collector", "--listen", "127.0.0.1:0", "--store", work + "/store",
             "--port-file", work + "/port", "--max-size", "100000000"},
            work + "/collector.out");
  for (int i = 0; i < 500 && !platform::exists(work + "/port"); ++i) ::usleep(10000);
  std::string port = platform::exists(work + "/port") ? platform::readFile(work + "/port") : "";
  while (!port.empty() && port.back() == '\n') port.pop_back();
  if (collector < 0 || port.empty()) {
    std::fprintf(stderr, "the collector did not start\n");
    return 1;
  }
  ::setenv("TESSALY_COLLECTORS", ("127.0.0.1:" + port).c_str(), 1);
  auto t0 = Clock::now();
  pid_t up = spawn({bin + "/tessaly", "-l", "-d", work + "/logs"}, work + "/tessaly.out");
  int status = 0;
  ::waitpid(up, &status, 0);
  double uploadSeconds = seconds(t0, Clock::now());
  ::kill(collector, SIGTERM);
  ::waitpid(collector, nullptr, 0);
  size_t stored = platform::listDirectory(work + "/store").size();
  size_t left = platform::listDirectory(work + "/logs").size();
  std::filesystem::remove_all(work);

  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::printf("zlib level 9 alone: %.2f s, %.1f MB/s (%.1f%% of the size)\n", zlibSeconds,
              mb / zlibSeconds,
              100.0 * static_cast<double>(compressed) / static_cast<double>(total));
  std::printf("upload to the collector: %.2f s, %.1f MB/s (exit %d, %zu stored, %zu left)\n",
              uploadSeconds, mb / uploadSeconds, code, stored, left);
  std::printf("ratio upload / zlib alone: %.2f (target at least 0.80)\n",
              zlibSeconds / uploadSeconds);
  return code == 50 && stored == files.size() ? 0 : 1;
}
