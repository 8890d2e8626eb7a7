#include "uploader/CommandLine.h"

#include "uploader/ClientDescription.h"

namespace uploader {
namespace {

void usage(Output& out, const std::string& program, const std::string& arg) {
  out.always("Unknown option \"%s\"\n", arg.c_str());
  out.always("Usage: %s [-v] [-l] [-e] [-V|-version] [-d log_dir] [-g game_type]\n",
             program.c_str());
}

}  // namespace

std::vector<std::string> CommandLine::split(const std::string& text) {
  std::vector<std::string> tokens;
  size_t start = 0;
  for (;;) {
    size_t blank = text.find(' ', start);
    tokens.push_back(
        text.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
    if (blank == std::string::npos) break;
    start = blank + 1;
  }
  return tokens;
}

bool CommandLine::parse(const std::vector<std::string>& args, const std::string& program,
                        Output& out, Settings* s, int* exitCode) {
  const bool single = args.size() == 1 && args[0] != "-v" && args[0] != "-V";
  std::vector<std::string> tokens = args;
  if (single) {
    tokens = split(args[0]);
    if (tokens.size() > kMaxTokens) tokens.resize(kMaxTokens);
    for (const std::string& t : tokens) {
      if (t.size() > kMaxTokenLength) {
        out.always("Option too long (%zu characters, at most %zu)\n", t.size(), kMaxTokenLength);
        *exitCode = -101;
        return false;
      }
    }
  }
  const int bad = single ? -101 : -102;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string& a = tokens[i];
    const bool hasValue = i + 1 < tokens.size();
    if (a == "-v") {
      s->verbose = true;
      out.setVerbose(true);
      out.always("Verbose ON\n");
    } else if (a == "-l") {
      s->exitLog = !s->exitLog;
      out.always(">>> Exit-code logging %s\n", s->exitLog ? "ENABLED" : "DISABLED");
    } else if (a == "-e") {
      out.say("Tessaly batcher version %s (exists)\n", ClientDescription::kUploaderVersion);
      *exitCode = single ? 7 : 3;
      return false;
    } else if (a == "-V" || a == "-version") {
      out.always("Tessaly batcher version %s\n", ClientDescription::kUploaderVersion);
      *exitCode = a == "-V" ? (single ? 8 : 4) : (single ? 9 : 5);
      return false;
    } else if (a == "-t") {
      s->test = true;
      out.say("Test mode enabled\n");
    } else if (a == "-d" && hasValue) {
      const std::string& dir = tokens[++i];
      if (dir.size() + kLogDirSuffix > kMaxLogDirPath) {
        out.always("Log directory too long (%zu characters, at most %zu)\n", dir.size(),
                   kMaxLogDirPath - kLogDirSuffix);
        *exitCode = bad;
        return false;
      }
      s->logDir = dir;
    } else if (a == "-g" && hasValue) {
      const std::string& type = tokens[++i];
      if (type.size() > kMaxGameType) {
        out.always("Game type too long (%zu characters, at most %zu)\n", type.size(), kMaxGameType);
        *exitCode = bad;
        return false;
      }
      // The game type travels in TAB-separated, LF-ended commands.
      for (char c : type) {
        if (static_cast<unsigned char>(c) < ' ') {
          out.always("Game type holds a control character\n");
          *exitCode = bad;
          return false;
        }
      }
      s->gameType = type;
    } else if (base::infoRequest(a) != base::InfoRequest::kNone &&
               (!single || tokens.size() == 1)) {
      // Only a whole argument, not a word of the single-argument form.
      s->info = base::infoRequest(a);
      *exitCode = 0;
      return false;
    } else {
      usage(out, program, a);
      *exitCode = bad;
      return false;
    }
  }
  return true;
}

}  // namespace uploader
