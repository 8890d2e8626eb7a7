// Stuck-uploader recovery against a fake process table.
#include "uploader/StuckUploaders.h"

#include <gtest/gtest.h>

#include "platform/FakeProcessTable.h"

namespace uploader {
namespace {

using testing_support::FakeProcessTable;
using R = StuckUploaders::Result;

TEST(TessalyStuckUploaders, TerminatesOtherProcessesOfTheSameProgram) {
  FakeProcessTable t;
  t.own = {100, "/opt/brim/bin/tessaly"};
  t.processes = {{1, "/sbin/init"},
                 {100, "/opt/brim/bin/tessaly"},
                 {200, "/home/x/tessaly (deleted)"},
                 {300, "/usr/bin/tessaly-helper"},
                 {400, ""},
                 {500, "/srv/tessaly"}};
  std::string text;
  Output out(&text);
  out.setVerbose(true);
  EXPECT_EQ(StuckUploaders::terminate(t, out), R::kDone);
  EXPECT_EQ(t.terminated, (std::vector<int>{200, 500}));
  EXPECT_EQ(text,
            "[W50a]: Found another batcher process running (200)\n"
            "[I50]: Process #c8 successfully terminated\n"
            "[I50a]: Stuck batcher process killed.\n"
            "[W50a]: Found another batcher process running (500)\n"
            "[I50]: Process #1f4 successfully terminated\n"
            "[I50a]: Stuck batcher process killed.\n");
}

TEST(TessalyStuckUploaders, NothingFoundStillCountsAsExamined) {
  FakeProcessTable t;
  t.own = {100, "/bin/tessaly"};
  t.processes = {{100, "/bin/tessaly"}};
  Output out;
  EXPECT_EQ(StuckUploaders::terminate(t, out), R::kDone);
  t.listable = false;
  EXPECT_EQ(StuckUploaders::terminate(t, out), R::kNotExamined);
}

TEST(TessalyStuckUploaders, OpenAndTerminateFailures) {
  FakeProcessTable t;
  t.own = {1, "/bin/tessaly"};
  t.processes = {{255, "/bin/tessaly"}};
  std::string text;
  Output out(&text);
  out.setVerbose(true);
  t.openFails = true;
  EXPECT_EQ(StuckUploaders::terminate(t, out), R::kOpenFailed);
  EXPECT_NE(text.find("[E51]: Couldn't OpenProcess (ff)\n"), std::string::npos);
  t.openFails = false;
  t.terminateFails = true;
  EXPECT_EQ(StuckUploaders::terminate(t, out), R::kTerminateFailed);
  EXPECT_NE(text.find("[E52]: Couldn't TerminateProcess (ff)\n"), std::string::npos);
}

}  // namespace
}  // namespace uploader
