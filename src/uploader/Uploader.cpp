#include "uploader/Uploader.h"

#include <random>

#include "base/Failure.h"
#include "help/tessaly.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/HostInfo.h"
#include "platform/RandomAccessFile.h"
#include "uploader/ClientDescription.h"
#include "uploader/CollectorClient.h"
#include "uploader/CollectorTable.h"
#include "uploader/StuckUploaders.h"

namespace uploader {

Uploader::Uploader(Environment env) : env_(std::move(env)), out_(*env_.out) {
  if (!env_.remove) env_.remove = [](const std::string& p) { return platform::removePath(p); };
}

std::string Uploader::dirWithSeparator() const {
  std::string d = settings_.logDir;
  if (!d.empty() && d.back() != platform::kSeparator) d += platform::kSeparator;
  return d;
}

int Uploader::finish(int code) {
  if (code < 0 && processed_ != 0) code = -code;
  if (settings_.exitLog) {
    // Exits before the directory is known to exist write into the
    // directory as given; a directory that cannot take the file is skipped.
    std::string line =
        "Exit code: " + std::to_string(code) + " (fd_count = " + std::to_string(processed_) + ")\n";
    try {
      auto f = platform::RandomAccessFile::open(dirWithSeparator() + kExitLogName,
                                                platform::RandomAccessFile::Mode::kReadWrite);
      f.writeAt(f.size(), std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(line.data()),
                                                   line.size()));
      f.close();
    } catch (const std::exception&) {
    }
  }
  return code;
}

int Uploader::run(const std::vector<std::string>& args) {
  const int64_t startMillis = platform::clock().currentTimeMillis();
  std::minstd_rand random(static_cast<unsigned>(startMillis % 1000) + 1u);
  const size_t startIndex = random() % CollectorTable::kMaxEntries;

  int code = 0;
  if (!CommandLine::parse(args, env_.program, out_, &settings_, &code)) {
    // The answer to --help or --version touches no file: no exit-code log.
    if (settings_.info == base::InfoRequest::kHelp) out_.always("%s", help::kTessaly);
    if (settings_.info == base::InfoRequest::kVersion)
      out_.always("tessaly %s\n", base::kProgramVersion);
    if (settings_.info != base::InfoRequest::kNone) return code;
    return finish(code);
  }
  out_.say("\n>>> Command-line: %s", env_.program.c_str());
  for (const std::string& a : args) out_.say(" %s", a.c_str());
  out_.say("\n\n");
  return afterCommandLine(startMillis, startIndex);
}

bool Uploader::takeLock(int* exitCode) {
  if (!env_.lockPort) return true;
  for (int rounds = 0;; ++rounds) {
    if (rounds > 1) {
      out_.say("[E41]: Couldn't grab lock port after batcher kills\n\n\n");
      *exitCode = -103;
      return false;
    }
    platform::BindFailure failure = platform::BindFailure::kNone;
    lock_ = platform::bindLocalPort(*env_.lockPort, &failure);
    if (lock_.isOpen()) return true;
    out_.say("\n\n[E00]: *** Another \"%s\" client is running (%d)\n\n\n", env_.program.c_str(),
             failure == platform::BindFailure::kNoSocket ? -1 : -1000);
    LogDirectory dir(dirWithSeparator(), env_.remove);
    if (!dir.hasOldLog(platform::clock().currentTimeMillis(), out_, true)) {
      *exitCode = 10;
      return false;
    }
    out_.say("[E40]: Old logs still present and a batcher is running (stuck batcher)\n\n\n");
    switch (StuckUploaders::terminate(*env_.processes, out_)) {
      case StuckUploaders::Result::kNotExamined:
        *exitCode = 10;
        return false;
      case StuckUploaders::Result::kOpenFailed:
        *exitCode = -106;
        return false;
      case StuckUploaders::Result::kTerminateFailed:
        *exitCode = -105;
        return false;
      case StuckUploaders::Result::kDone:
        break;
    }
  }
}

int Uploader::afterCommandLine(int64_t startMillis, size_t startIndex) {
  ClientDescription description;
  description.gameType = settings_.gameType;
  description.system = ClientDescription::systemDescription();
  out_.say(">>> OS Version: %s\n\n", description.system.c_str());

  std::optional<CollectorTable> table;
  try {
    table = CollectorTable::load(env_.collectors, env_.home);
  } catch (const base::Failure& f) {
    out_.always("[E42]: *** Bad collector table: %s\n", f.what());
    return finish(kBadCollectorTable);
  }

  int code = 0;
  if (!takeLock(&code)) return finish(code);

  LogDirectory dir(dirWithSeparator(), env_.remove);
  if (!settings_.test) {
    out_.say("Examining files in: %s\n", dir.dir().c_str());
    out_.say("---> Looking for old .tmp files first!\n");
    dir.deleteOldTmp(platform::localDate(startMillis), out_);
    out_.say("---> Looking for 0-sized logs!\n");
    dir.deleteEmptyLogs(out_);
  } else {
    out_.say("Test mode, skipping .tmp/.log scan\n");
  }

  std::optional<std::vector<LogDirectory::Entry>> logs = dir.find(".log");
  if (!logs) {
    out_.say("\n\n[E34]: *** Invalid logfile path \"%s\"\n\n\n", dir.pattern(".log").c_str());
    lock_.close();
    return finish(-100);
  }
  if (logs->empty()) {
    if (!settings_.test) out_.say("\n\n[E01]: *** No log files found, exiting...\n\n\n");
    lock_.close();
    return finish(2);
  }
  const int listed = static_cast<int>(logs->size());
  if (!settings_.test) {
    out_.say("-----------------\n");
    out_.say(" Logs to be sent\n");
    out_.say("-----------------\n");
    for (const auto& e : *logs) out_.say("File: %s (%lld)\n", e.name.c_str(), (long long)e.size);
    out_.say("----------------\n");
    out_.say(" %d logs found.\n", listed);
    out_.say("----------------\n");
  }

  description.address = ClientDescription::localAddress(out_);
  out_.say("\n>>> Local address: %s <<<\n\n", description.address.c_str());
  processed_ = 0;
  CollectorClient client(*env_.network, out_, std::move(*table), startIndex, description);
  if (!client.connect()) return finish(-117);
  return upload(dir, client, listed);
}

int Uploader::upload(LogDirectory& dir, CollectorClient& client, int listed) {
  for (bool restart = true; restart;) {
    restart = false;
    for (const LogDirectory::Entry& e :
         dir.find(".log").value_or(std::vector<LogDirectory::Entry>())) {
      const std::string path = dir.path(e.name);
      if (settings_.test) {
        CollectorClient::TestOutcome t = client.connectionTest();
        if (t == CollectorClient::TestOutcome::kSendFailed) return finish(-111);
        if (t == CollectorClient::TestOutcome::kReceiveFailed) return finish(-112);
        out_.say("Checking for old logs...\n");
        if (dir.hasOldLog(platform::clock().currentTimeMillis(), out_, true)) return finish(-114);
        out_.always("Test successful!\n\n");
        return finish(6);
      }
      int64_t size = 0;
      try {
        size = platform::fileSize(path);
      } catch (const base::IOError&) {
        size = -1;
      }
      if (size == 0) {
        out_.say("\n*** \"%s\" of size 0 ... purging\n\n\n", path.c_str());
        env_.remove(path);
        continue;
      }
      platform::RandomAccessFile file;
      try {
        if (size < 0) throw base::IOError(path);
        file = platform::RandomAccessFile::open(path, platform::RandomAccessFile::Mode::kReadOnly);
      } catch (const base::IOError&) {
        out_.say("\n*** Couldn't open %s ... skipping\n\n\n", path.c_str());
        continue;
      }
      ++processed_;
      CollectorClient::Outcome outcome = client.offer(path, file, size, processed_ == 1, listed);
      file = platform::RandomAccessFile();
      switch (outcome) {
        case CollectorClient::Outcome::kAcknowledged:
          if (!env_.remove(path)) {
            out_.say("[E35]: Couldn't delete \"%s\" (error=%d)\n", path.c_str(), 0);
            out_.say("\n[W35]: --- Renaming \"%s\" to \"%s.sent\"\n\n\n", path.c_str(),
                     path.c_str());
            if (!platform::renameNoReplace(path, path + ".sent"))
              out_.say("[E35]: Couldn't rename \"%s\" to \"%s.sent\"\n", path.c_str(),
                       path.c_str());
          }
          break;
        case CollectorClient::Outcome::kTooLarge:
          out_.say("\n[W00]: --- Renaming \"%s\" to \"%s.big\"\n\n\n", path.c_str(), path.c_str());
          if (!platform::renameNoReplace(path, path + ".big"))
            out_.say("[W00]: Couldn't rename \"%s\" to \"%s.big\"\n", path.c_str(), path.c_str());
          break;
        case CollectorClient::Outcome::kRedirected:
          processed_ = 0;
          restart = true;
          break;
        case CollectorClient::Outcome::kNoCollector:
          return finish(-117);
        case CollectorClient::Outcome::kAborted:
          client.disconnect();
          lock_.close();
          return finalCheck(dir);
      }
      if (restart) break;
    }
  }
  lock_.close();
  out_.say("\n ----> Batch complete (%d files processed) <----\n\n\n", processed_);
  return finalCheck(dir);
}

int Uploader::finalCheck(const LogDirectory& dir) {
  if (dir.hasOldLog(platform::clock().currentTimeMillis(), out_, false)) {
    out_.say("[E36]: Old logs still present in logdir!\n\n\n");
    return finish(-108);
  }
  return finish(50);
}

}  // namespace uploader
