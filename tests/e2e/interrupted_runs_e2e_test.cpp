// Runs the built vardobf and interrupts it: killed at chosen system calls of
// every step (staging, processing, saving, cleaning up), in each way of
// handling the offered logs, and with a disk too full for the save. Nothing
// may be lost: right after the kill the database directory holds the
// database of before the run or the one of after it, the dump tool refuses a
// directory with an unfinished save, and the next run with the same command
// line ends as one uninterrupted run over the same logs.
//
// The kills are strace's fault injection on the real process. Where to kill
// is read from the trace of an uninterrupted run of the same program over the
// same logs: the call is named by its system call and its first file, and
// strace counts only the calls of that system call that it selects by that
// file (-P), so the count depends neither on what the program does between
// them nor on its timing (the run lock's name, for one, changes with the
// clock).
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestDir.h"
#include "e2e/Run.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "programs/vardobf/Totals.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testing_support::binDir;
using testing_support::TestDir;

const char* const kFiles[] = {"bf_player.db", "bf_game.db", "bf_records.db", "bf_hash.db"};

bool startsWith(const std::string& s, const std::string& start) { return s.rfind(start, 0) == 0; }
bool endsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::optional<std::string> readIfThere(const std::string& path) {
  if (!platform::isFile(path)) return std::nullopt;
  return platform::readFile(path);
}

// ---- Running programs --------------------------------------------------

// How a program ended and what it wrote.
struct Outcome {
  int wait = -1;  // the status from waitpid; -1 when it could not be started
  std::string out;
  std::string err;

  bool exitedWith(int code) const {
    return wait != -1 && WIFEXITED(wait) && WEXITSTATUS(wait) == code;
  }
  bool failed() const { return wait != -1 && WIFEXITED(wait) && WEXITSTATUS(wait) != 0; }
  bool killed() const { return wait != -1 && WIFSIGNALED(wait) && WTERMSIG(wait) == SIGKILL; }
  std::string text() const {
    std::string how = wait == -1          ? "not started"
                      : WIFEXITED(wait)   ? "exit status " + std::to_string(WEXITSTATUS(wait))
                      : WIFSIGNALED(wait) ? "signal " + std::to_string(WTERMSIG(wait))
                                          : "status " + std::to_string(wait);
    return how + "\n--- standard output:\n" + out + "--- standard error:\n" + err;
  }
};

std::string contentOf(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  return text;
}

// Runs the program `argv[0]` (a path) with its arguments in `cwd`, without
// standard input. The child only calls what is safe after a fork, so that
// several threads may run programs at once.
Outcome execute(const std::string& cwd, const std::vector<std::string>& argv) {
  Outcome o;
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // The leak checker of a sanitizer build cannot work under a tracer and
  // fails the traced program: it is off for the runs strace makes.
  const bool traced =
      !argv.empty() && argv[0].size() >= 6 && argv[0].compare(argv[0].size() - 6, 6, "strace") == 0;
  std::vector<std::string> environment;
  std::string sanitizerOptions = "ASAN_OPTIONS=detect_leaks=0";
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    if (traced && entry.rfind("ASAN_OPTIONS=", 0) == 0)
      sanitizerOptions = entry + ":detect_leaks=0";
    else
      environment.push_back(std::move(entry));
  }
  if (traced) environment.push_back(sanitizerOptions);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  if (out != nullptr && err != nullptr) {
    const int outFd = ::fileno(out);
    const int errFd = ::fileno(err);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int null = ::open("/dev/null", O_RDONLY);
      if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0 ||
          ::chdir(cwd.c_str()) != 0)
        ::_exit(126);
      ::execve(args[0], args.data(), envp.data());
      ::_exit(127);
    }
    if (pid > 0) {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      o.wait = status;
    }
    o.out = contentOf(out);
    o.err = contentOf(err);
  }
  if (out != nullptr) std::fclose(out);
  if (err != nullptr) std::fclose(err);
  return o;
}

std::string vardobf() { return binDir() + "/vardobf"; }

// The strace program from the PATH; empty when there is none.
std::string strace() {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/strace";
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// ---- Traces ------------------------------------------------------------

// One system call as strace -y writes it: its name, its arguments, the files
// among them (names, and the paths of descriptors) that lie in the home
// directory of the run, and its result.
struct Call {
  std::string name;
  std::string args;
  std::vector<std::string> paths;
  long long result = -1;  // -1 also when there is none (a killed call)

  // The file the call is about: its last one (the target of a rename).
  std::string path() const { return paths.empty() ? std::string() : paths.back(); }
  std::string renamedFrom() const {
    return paths.size() >= 2 ? paths[paths.size() - 2] : std::string();
  }
  bool touches(const std::string& p) const {
    return std::find(paths.begin(), paths.end(), p) != paths.end();
  }
  // Whether strace -P `p` selects the call: by any of its files for the
  // calls that take two (rename and link relative to directories), else by
  // the first (a plain rename is selected by its source only).
  bool selectedBy(const std::string& p) const {
    if (name == "renameat" || name == "renameat2" || name == "link" || name == "linkat")
      return touches(p);
    return !paths.empty() && paths.front() == p;
  }
};

std::optional<Call> parseCall(const std::string& line, const std::string& home) {
  size_t i = 0;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) != 0) ++i;
  while (i < line.size() && line[i] == ' ') ++i;
  const size_t start = i;
  while (i < line.size() &&
         (std::isalnum(static_cast<unsigned char>(line[i])) != 0 || line[i] == '_'))
    ++i;
  const size_t end = line.rfind(") = ");
  if (i == start || i >= line.size() || line[i] != '(' || end == std::string::npos || end < i)
    return std::nullopt;
  Call c;
  c.name = line.substr(start, i - start);
  c.args = line.substr(i + 1, end - i - 1);
  const std::string result = line.substr(end + 4);
  if (!result.empty() && (std::isdigit(static_cast<unsigned char>(result[0])) != 0))
    c.result = std::stoll(result);
  const std::string& a = c.args;
  auto keep = [&](const std::string& p) {
    if (startsWith(p, home + "/")) c.paths.push_back(p);
  };
  for (size_t k = 0; k < a.size(); ++k) {
    if (a[k] == '"') {
      std::string s;
      for (++k; k < a.size() && a[k] != '"'; ++k) {
        if (a[k] == '\\' && k + 1 < a.size()) ++k;
        s += a[k];
      }
      keep(s);
    } else if (a[k] == '<') {  // the path of a descriptor
      const size_t close = a.find('>', k);
      if (close == std::string::npos) break;
      keep(a.substr(k + 1, close - k - 1));
      k = close;
    }
  }
  return c;
}

std::vector<Call> parseTrace(const std::string& text, const std::string& home) {
  std::vector<Call> calls;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (auto c = parseCall(text.substr(start, end - start), home)) calls.push_back(std::move(*c));
    start = end + 1;
  }
  return calls;
}

bool isRename(const Call& c) { return startsWith(c.name, "rename"); }
bool isOpen(const Call& c) {
  return c.name == "openat" || c.name == "open" || c.name == "openat2" || c.name == "creat";
}
bool isWrite(const Call& c) {
  return c.name == "write" || c.name == "pwrite64" || c.name == "writev" || c.name == "pwritev" ||
         c.name == "pwritev2";
}
bool isSync(const Call& c) { return c.name == "fsync" || c.name == "fdatasync"; }
bool isUnlink(const Call& c) { return c.name == "unlink" || c.name == "unlinkat"; }

using Pick = std::function<bool(const Call&)>;
constexpr size_t kNone = std::string::npos;

// The trace of an uninterrupted run.
struct Trace {
  std::string home;
  std::vector<Call> calls;

  std::string data() const { return home + "/data/"; }
  // The index of the n-th call (from 1) from index `from` on that `pick`
  // accepts; kNone when there is none.
  size_t nth(int n, const Pick& pick, size_t from = 0) const {
    for (size_t i = from; i < calls.size(); ++i)
      if (pick(calls[i]) && --n == 0) return i;
    return kNone;
  }
  size_t last(const Pick& pick) const {
    for (size_t i = calls.size(); i > 0; --i)
      if (pick(calls[i - 1])) return i - 1;
    return kNone;
  }
};

// A call of `kind` on the file `path`.
Pick on(bool (*kind)(const Call&), const std::string& path) {
  return [kind, path](const Call& c) { return kind(c) && c.path() == path; };
}

// A rename to a name in `dir` (not below it) that ends with `suffix`.
Pick renamedInto(const std::string& dir, const std::string& suffix) {
  return [dir, suffix](const Call& c) {
    const std::string to = c.path();
    return isRename(c) && startsWith(to, dir) && to.find('/', dir.size()) == std::string::npos &&
           endsWith(to, suffix);
  };
}

// A moment to kill a run at: the call found in the trace of an uninterrupted
// run; the run is killed as that call starts, before it takes effect.
struct KillPoint {
  std::string what;
  bool moveModeOnly;
  std::function<size_t(const Trace&)> find;
};

std::vector<KillPoint> killPoints() {
  auto dataFile = [](const Trace& t, const char* name) { return t.data() + name; };
  return {
      {"the staging of the first offered log", false,
       [](const Trace& t) { return t.nth(1, renamedInto(t.data(), ".log")); }},
      {"the staging of the second offered log", false,
       [](const Trace& t) { return t.nth(2, renamedInto(t.data(), ".log")); }},
      {"the move of the first offered log into processedLogs", true,
       [](const Trace& t) { return t.nth(1, renamedInto(t.home + "/processedLogs/", "")); }},
      {"marking the second log processed", false,
       [](const Trace& t) { return t.nth(2, renamedInto(t.data(), ".log.del")); }},
      {"the first file made after the last log is marked processed", false,
       [](const Trace& t) {
         const size_t last = t.last(renamedInto(t.data(), ".log.del"));
         if (last == kNone) return kNone;
         return t.nth(
             1,
             [](const Call& c) {
               return isOpen(c) && c.args.find("O_CREAT") != std::string::npos &&
                      !endsWith(c.path(), ".lock");
             },
             last + 1);
       }},
      {"writing the site's player list", false,
       [](const Trace& t) {
         return t.nth(1, on(isWrite, t.home + "/html/data/players-0.json.new"));
       }},
      {"putting the site's totals in place", false,
       [](const Trace& t) {
         const std::string fresh = t.home + "/html/data/totals.js.new";
         return t.nth(1,
                      [fresh](const Call& c) { return isRename(c) && c.renamedFrom() == fresh; });
       }},
      {"writing bf_records.db.new", false,
       [=](const Trace& t) { return t.nth(1, on(isWrite, dataFile(t, "bf_records.db.new"))); }},
      {"flushing the player database's redo file", false,
       [=](const Trace& t) { return t.nth(1, on(isSync, dataFile(t, "bf_player.commit"))); }},
      {"writing the commit marker", false,
       [=](const Trace& t) { return t.nth(1, on(isWrite, dataFile(t, "bf_commit"))); }},
      {"applying the redo file to bf_player.db", false,
       [=](const Trace& t) {
         const size_t marker = t.nth(1, on(isWrite, dataFile(t, "bf_commit")));
         if (marker == kNone) return kNone;
         const Pick write = on(isWrite, dataFile(t, "bf_player.db"));
         const size_t second = t.nth(2, write, marker + 1);
         return second != kNone ? second : t.nth(1, write, marker + 1);
       }},
      {"putting bf_records.db.new in place", false,
       [=](const Trace& t) {
         const std::string fresh = dataFile(t, "bf_records.db.new");
         return t.nth(1,
                      [fresh](const Call& c) { return isRename(c) && c.renamedFrom() == fresh; });
       }},
      {"removing the commit marker", false,
       [=](const Trace& t) { return t.nth(1, on(isUnlink, dataFile(t, "bf_commit"))); }},
      {"deleting the second processed log", false,
       [](const Trace& t) {
         const std::string data = t.data();
         return t.nth(2, [data](const Call& c) {
           return isUnlink(c) && startsWith(c.path(), data) && endsWith(c.path(), ".log.del");
         });
       }},
  };
}

// ---- Homes and the logs --------------------------------------------------

std::string makeHome(const std::string& root, const std::string& name, const std::string& mode) {
  const std::string home = root + "/" + name;
  for (const char* d : {"data", "html", "processedLogs", "in"})
    fs::create_directories(home + "/" + d);
  platform::writeFile(home + "/VardoBF.cfg",
                      "SpawnBrowser\tfalse\nDebugType\tNone\nLogFileHandling\t" + mode + "\n");
  return home;
}

void offer(const std::string& home, const std::vector<std::string>& logs) {
  for (const std::string& l : logs)
    fs::copy_file(l, home + "/in/" + fs::path(l).filename().string());
}

std::map<std::string, std::string> contentsOf(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : platform::listDirectory(dir))
    if (platform::isFile(dir + "/" + name)) files[name] = platform::readFile(dir + "/" + name);
  return files;
}

// Names of the entries of `dir` that differ between the two.
std::string differences(const std::map<std::string, std::string>& a,
                        const std::map<std::string, std::string>& b) {
  std::string names;
  for (const auto& [name, data] : a) {
    auto it = b.find(name);
    if (it == b.end() || it->second != data) names += " " + name;
  }
  for (const auto& [name, data] : b)
    if (a.count(name) == 0) names += " " + name;
  return names;
}

// An uninterrupted run over the second batch, traced.
struct Reference {
  Trace trace;
  bool ready = false;
  std::string home() const { return trace.home; }
};

// What the tests share: the logs, a home whose database holds the first
// batch, and the uninterrupted runs over the second batch.
struct Batches {
  TestDir dir;
  std::string root;
  std::string strace;
  std::vector<std::string> first, second;
  std::string before;  // the home of the run over the first batch
  bool ready = false;
  std::map<std::string, Reference> references;

  // A home in `mode` whose database is the one of before the run over the
  // second batch, which is offered in its folder "in".
  std::string home(const std::string& name, const std::string& mode) const {
    std::string h = makeHome(root, name, mode);
    fill(h);
    return h;
  }
  void fill(const std::string& h) const {
    for (const char* f : kFiles)
      fs::copy_file(before + "/data/" + f, h + "/data/" + f, fs::copy_options::overwrite_existing);
    offer(h, second);
  }
  const Reference& reference(const std::string& mode);
};

Batches& batches() {
  static Batches b;
  static bool tried = false;
  if (tried) return b;
  tried = true;
  games::bf::Specs::init();
  b.root = fs::canonical(b.dir.path()).string();
  b.strace = strace();
  if (b.strace.empty()) {
    ADD_FAILURE() << "strace is needed (scripts/install-deps.sh installs it)";
    return b;
  }
  const std::string gen = b.root + "/gen";
  fs::create_directories(gen);
  Outcome g = execute(
      b.root, {binDir() + "/loggen", "--type", "all", "--count", "7", "--seed", "23", "--players",
               "4", "--minutes", "2", "--date", "2026-05-01T20:00", "--out", gen});
  std::vector<std::string> made = platform::listDirectory(gen);
  if (!g.exitedWith(0) || made.size() != 7) {
    ADD_FAILURE() << "loggen: " << g.text();
    return b;
  }
  auto add = [&](std::vector<std::string>& to, const char* name, size_t i) {
    to.push_back(b.root + "/" + name);
    fs::copy_file(gen + "/" + made[i], to.back());
  };
  add(b.first, "a01.log", 0);
  add(b.first, "a02.log", 1);
  add(b.first, "a03.log", 2);
  add(b.second, "b01.log", 3);
  add(b.second, "b02.log", 4);
  add(b.second, "b03.log", 1);  // a match of the first batch again
  add(b.second, "b04.log", 5);
  add(b.second, "b05.log", 6);

  b.before = makeHome(b.root, "before", "save");
  offer(b.before, b.first);
  Outcome r = execute(b.before, {vardobf(), "in"});
  if (!r.exitedWith(0)) {
    ADD_FAILURE() << "the run over the first batch: " << r.text();
    return b;
  }
  b.ready = true;
  return b;
}

const Reference& Batches::reference(const std::string& mode) {
  Reference& ref = references[mode];
  if (ref.ready || !ref.trace.home.empty()) return ref;
  ref.trace.home = home("reference-" + mode, mode);
  const std::string traceFile = root + "/reference-" + mode + ".trace";
  Outcome r = execute(ref.home(), {strace, "-f", "-y", "-o", traceFile, "--", vardobf(), "in"});
  if (!r.exitedWith(0)) {
    ADD_FAILURE() << "the uninterrupted run in " << mode << " mode: " << r.text();
    return ref;
  }
  ref.trace.calls = parseTrace(platform::readFile(traceFile), ref.home());
  if (ref.trace.calls.empty()) {
    ADD_FAILURE() << "no calls read from " << traceFile;
    return ref;
  }
  ref.ready = true;
  return ref;
}

// ---- Checks --------------------------------------------------------------

// Whether the four database files in `data` are those of `side`; names the
// files that differ in `differing`.
bool sameDatabase(const std::string& data, const std::string& side, std::string& differing) {
  differing.clear();
  for (const char* f : kFiles)
    if (readIfThere(data + "/" + f) != readIfThere(side + "/" + f))
      differing += std::string(" ") + f;
  return differing.empty();
}

bool unfinishedSaveFile(const std::string& name) {
  return name == programs::vardobf::Totals::kCommitMarker ||
         name == programs::vardobf::Totals::kPlayerRedo || endsWith(name, ".new");
}

// Files a finished run must not leave in its database directory.
bool leftover(const std::string& name) {
  return unfinishedSaveFile(name) || endsWith(name, ".log") || endsWith(name, ".log.del");
}

// A run after a killed or failed one: it ends as the uninterrupted run did.
void expectAsTheUninterruptedRun(const std::string& home, const Outcome& run,
                                 const Reference& ref) {
  EXPECT_TRUE(run.exitedWith(0)) << run.text();
  std::string differing;
  EXPECT_TRUE(sameDatabase(home + "/data", ref.home() + "/data", differing))
      << "differs from the database of the uninterrupted run:" << differing;
  for (const std::string& name : platform::listDirectory(home + "/data"))
    EXPECT_FALSE(leftover(name)) << "data/" << name << " is left";
  EXPECT_TRUE(platform::isFile(home + "/html/Vardo_Main.html"));
  const auto saved = contentsOf(home + "/processedLogs");
  for (const auto& [name, data] : saved)
    EXPECT_FALSE(endsWith(name, ".log.del")) << "processedLogs/" << name;
  EXPECT_TRUE(saved == contentsOf(ref.home() + "/processedLogs"))
      << "processedLogs differs from the uninterrupted run's:"
      << differences(saved, contentsOf(ref.home() + "/processedLogs"));
  EXPECT_EQ(platform::listDirectory(home + "/in"), platform::listDirectory(ref.home() + "/in"));
  // The site's data is the uninterrupted run's, without files left half
  // written.
  for (const char* dir : {"/html/data", "/html/data/match", "/html/data/player"}) {
    const auto data = contentsOf(home + dir);
    const auto expected = contentsOf(ref.home() + dir);
    EXPECT_FALSE(expected.empty()) << dir;
    EXPECT_TRUE(data == expected) << dir << " differs from the uninterrupted run's:"
                                  << differences(data, expected) << " /"
                                  << differences(expected, data);
  }
}

// ---- Killed runs -----------------------------------------------------------

class KilledRun : public ::testing::TestWithParam<std::string> {};

TEST_P(KilledRun, EndsAsAnUninterruptedRunWhereverItIsKilled) {
  Batches& b = batches();
  ASSERT_TRUE(b.ready);
  const std::string mode = GetParam();
  const Reference& ref = b.reference(mode);
  ASSERT_TRUE(ref.ready);
  const std::string after = ref.home() + "/data";
  const std::string before = b.before + "/data";

  struct Killed {
    std::string what;
    std::string home;
  };
  std::vector<Killed> killed;
  int sawBefore = 0, sawAfter = 0;
  const std::vector<KillPoint> points = killPoints();
  for (size_t k = 0; k < points.size(); ++k) {
    const KillPoint& point = points[k];
    if (point.moveModeOnly && mode != "move") continue;
    SCOPED_TRACE("killed at " + point.what + " in " + mode + " mode");
    const size_t at = point.find(ref.trace);
    if (at == kNone || ref.trace.calls[at].paths.empty()) {
      ADD_FAILURE() << "no such call in the trace of the uninterrupted run";
      continue;
    }
    // The call is the n-th of its system call that strace selects by its
    // first file.
    const Call& call = ref.trace.calls[at];
    const std::string file = call.paths.front();
    int n = 0;
    for (size_t i = 0; i <= at; ++i)
      if (ref.trace.calls[i].name == call.name && ref.trace.calls[i].selectedBy(file)) ++n;

    const std::string name = mode + "-" + std::to_string(k);
    const std::string home = b.home(name, mode);
    auto here = [&](const std::string& p) { return home + p.substr(ref.home().size()); };
    const std::string target = here(file);
    std::vector<std::string> targetPaths;
    for (const std::string& p : call.paths) targetPaths.push_back(here(p));
    const std::string killTrace = b.root + "/" + name + ".trace";
    Outcome run = execute(
        home,
        {b.strace, "-f", "-y", "-o", killTrace, "-P", target, "-e", "trace=" + call.name, "-e",
         "inject=" + call.name + ":signal=KILL:when=" + std::to_string(n), "--", vardobf(), "in"});
    // The kill happened, at that call.
    const std::string seen = readIfThere(killTrace).value_or("");
    const std::vector<Call> calls = parseTrace(seen, home);
    const bool atTheCall = !calls.empty() && calls.back().paths == targetPaths &&
                           calls.back().result == -1 && static_cast<int>(calls.size()) == n;
    if (!run.killed() || seen.find("+++ killed by SIGKILL +++") == std::string::npos ||
        !atTheCall) {
      ADD_FAILURE() << "the run was not killed at call " << n << " of " << call.name << " on "
                    << target << "\n"
                    << run.text() << "--- trace:\n"
                    << seen;
      continue;
    }

    // The state the next run starts from: the old or the new database, not
    // a mix.
    const std::string copy = b.root + "/" + name + "-recovered";
    fs::copy(home + "/data", copy, fs::copy_options::recursive);
    try {
      programs::vardobf::Totals::recover(copy + "/");
    } catch (const std::exception& e) {
      ADD_FAILURE() << "the recovery failed: " << e.what();
    }
    std::string notBefore, notAfter;
    const bool isBefore = sameDatabase(copy, before, notBefore);
    const bool isAfter = sameDatabase(copy, after, notAfter);
    EXPECT_TRUE(isBefore || isAfter) << "after the recovery, differing from the database before "
                                        "the run:"
                                     << notBefore << "; from the one after it:" << notAfter;
    sawBefore += isBefore ? 1 : 0;
    sawAfter += isAfter ? 1 : 0;
    fs::remove_all(copy);

    // The dump tool does not read over an unfinished save, and leaves it.
    const auto left = contentsOf(home + "/data");
    if (std::any_of(left.begin(), left.end(),
                    [](const auto& f) { return unfinishedSaveFile(f.first); })) {
      Outcome dump = execute(home, {binDir() + "/dbdump", "data"});
      EXPECT_TRUE(dump.failed()) << "dbdump over an unfinished save: " << dump.text();
      EXPECT_FALSE(dump.err.empty()) << "dbdump says nothing on standard error";
      const auto now = contentsOf(home + "/data");
      EXPECT_TRUE(now == left) << "dbdump changed data/:" << differences(left, now);
    }
    killed.push_back({point.what, home});
  }

  // The next runs, all at once: each ends with the pause of a finished run.
  std::vector<Outcome> reruns(killed.size());
  {
    std::vector<std::thread> threads;
    for (size_t i = 0; i < killed.size(); ++i)
      threads.emplace_back([&, i] { reruns[i] = execute(killed[i].home, {vardobf(), "in"}); });
    for (std::thread& t : threads) t.join();
  }
  for (size_t i = 0; i < killed.size(); ++i) {
    SCOPED_TRACE("the run after the one killed at " + killed[i].what + " in " + mode + " mode");
    expectAsTheUninterruptedRun(killed[i].home, reruns[i], ref);
    fs::remove_all(killed[i].home);
  }
  // The points lie on both sides of the commit.
  EXPECT_GT(sawBefore, 0);
  EXPECT_GT(sawAfter, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, KilledRun, ::testing::Values("save", "delete", "move"),
                         [](const ::testing::TestParamInfo<std::string>& mode) {
                           return mode.param;
                         });

// ---- A full disk -----------------------------------------------------------

// A home whose database directory is a small file system of its own.
class FullDisk : public ::testing::Test {
 protected:
  static constexpr int64_t kDiskBytes = 8 << 20;

  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    root = fs::canonical(dir.path()).string();
    home = makeHome(root, "home", "delete");
    data = home + "/data";
    const std::string options = "size=" + std::to_string(kDiskBytes);
    if (::mount("tmpfs", data.c_str(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                options.c_str()) != 0)
      GTEST_SKIP() << "cannot mount a tmpfs on " << data << ": " << std::strerror(errno);
    mounted = true;
  }
  void TearDown() override {
    if (mounted && ::umount2(data.c_str(), 0) != 0) (void)::umount2(data.c_str(), MNT_DETACH);
  }

  TestDir dir;
  std::string root, home, data;
  bool mounted = false;
};

TEST_F(FullDisk, AFailedSaveChangesNothingAndTheNextRunCountsEveryMatch) {
  Batches& b = batches();
  ASSERT_TRUE(b.ready);
  const Reference& ref = b.reference("delete");
  ASSERT_TRUE(ref.ready);
  b.fill(home);

  struct statvfs disk {};
  ASSERT_EQ(::statvfs(data.c_str(), &disk), 0);
  const int64_t page = static_cast<int64_t>(disk.f_bsize);
  auto pages = [&](int64_t bytes) { return (bytes + page - 1) / page * page; };
  // Room for the offered logs, and for half of what the save writes (as the
  // uninterrupted run wrote it), so that the staging fits and the save not.
  int64_t staging = 0;
  for (const std::string& l : b.second) staging += pages(platform::fileSize(l));
  std::map<std::string, int64_t> saveFiles;
  for (const Call& c : ref.trace.calls) {
    const std::string name = fs::path(c.path()).filename().string();
    if (isWrite(c) && c.result > 0 && startsWith(c.path(), ref.trace.data()) &&
        unfinishedSaveFile(name))
      saveFiles[name] += c.result;
  }
  int64_t save = 0;
  for (const auto& [name, bytes] : saveFiles) save += pages(bytes);
  ASSERT_GT(save, 3 * page) << "the save of the uninterrupted run is not in its trace";
  const int64_t room = staging + save / 2 / page * page;
  const int64_t available = static_cast<int64_t>(disk.f_bavail) * page;
  ASSERT_GT(available, room);
  platform::writeFile(data + "/filler", std::string(static_cast<size_t>(available - room), 'x'));

  Outcome full = execute(home, {vardobf(), "in"});
  EXPECT_TRUE(platform::listDirectory(home + "/in").empty())
      << "the logs were not staged: the disk is too full already for the staging";
  EXPECT_TRUE(full.failed()) << full.text();
  EXPECT_NE(full.err.find("could not be saved"), std::string::npos) << full.text();
  std::string differing;
  EXPECT_TRUE(sameDatabase(data, b.before + "/data", differing))
      << "the failed save changed the database:" << differing;

  ASSERT_TRUE(platform::removePath(data + "/filler"));
  Outcome again = execute(home, {vardobf(), "in"});
  expectAsTheUninterruptedRun(home, again, ref);
}

}  // namespace
