#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "TestDir.h"
#include "games/bf/Specs.h"
#include "platform/LocalTime.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/PlayerDB.h"
#include "util/Debug.h"

namespace testing_support {

// A test whose run home (with its "data" directory of the statistics
// database) is a fresh temporary folder, with the settings reset and the
// clock's zone UTC around each test. The trace goes where `traceType` says
// ("None", "StdOut", ...).
class DbHomeTest : public ::testing::Test {
 protected:
  explicit DbHomeTest(const char* traceType) : traceType_(traceType) {}

  void SetUp() override {
    util::Debug::reset();
    util::Debug::setType(traceType_, ".");
    games::bf::Specs::init();
    platform::setProcessTimeZone("UTC");
    programs::vardo::config::resetToDefaults();
    programs::vardo::config::home = home.path();
    programs::vardo::config::os = "Linux";
    home.mkdir("data");
  }
  void TearDown() override {
    programs::vardobf::PlayerDB::discard();
    util::Debug::reset();
    programs::vardo::config::resetToDefaults();
  }

  TestDir home;

 private:
  const char* traceType_;
};

}  // namespace testing_support
