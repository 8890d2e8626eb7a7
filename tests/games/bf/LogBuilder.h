#pragma once

#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "games/bf/Specs.h"
#include "platform/LocalTime.h"
#include "util/Debug.h"

namespace testing_support {

// A log written as lines with "|" between fields.
class Log {
 public:
  Log& operator()(const std::string& line) {
    for (char c : line) text_ += c == '|' ? '\t' : c;
    text_ += "\r\n";
    return *this;
  }
  Log& connect(int num, const std::string& name, const std::string& secret = "s") {
    return (*this)("0|player|Connect|" + name + "|" + std::to_string(num) + "|False|" + secret);
  }
  Log& kill(double t, int killer, int victim, const std::string& kind = "kill") {
    return (*this)(num(t) + "|" + kind + "|" + std::to_string(killer) + "|Rocket Launcher|" +
                   std::to_string(victim) + "|Pistol|RocketBlast");
  }
  static std::string num(double t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", t);
    return buf;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// A DeathMatch of Ann and `other` on a January `day` ("02" ...) at 10:00:
// Ann frags twice, `other` once.
inline Log dayMatch(const std::string& day, const std::string& other) {
  Log log;
  log("0|info|Absolute_Time|2026.01." + day + ".10.00.00.000.+0");
  log("0|info|Server_ServerName|Srv")("0|map|Title|Deck")("0|game|GameName|Arena DeathMatch");
  log.connect(1, "Ann").connect(2, other)("1|game_start");
  log.kill(10, 1, 2).kill(20, 1, 2).kill(30, 2, 1);
  log("40|game_end|timelimit");
  return log;
}

// For tests that replay logs: the catalog ready, no trace, the machine's
// time zone fixed to UTC so that dates give the same identities everywhere.
class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::Debug::reset();
    util::Debug::setType("None", ".");
    games::bf::Specs::init();
    platform::setProcessTimeZone("UTC");
  }
  void TearDown() override { util::Debug::reset(); }
};

}  // namespace testing_support
