#include "programs/vardo/Frame1.h"

#include <gtest/gtest.h>

#include "programs/vardo/config.h"

namespace {

using programs::vardo::config;
using programs::vardo::Frame1;

TEST(Frame1, HeaderAndTitleFollowTheProgramName) {
  config::resetToDefaults();
  config::program = "VardoBF";
  config::setVersion(std::string("1.2"));
  Frame1 f;
  EXPECT_EQ(f.textField1.text, "Vardo(tm) v1.2 for Brimfall(tm)");
  EXPECT_EQ(f.title(), "Vardo for Brimfall(tm)");
  EXPECT_EQ(f.textField2.text, "Loading Log Files...");
  config::program = "Other";
  Frame1 g;
  EXPECT_EQ(g.textField1.text, "Vardo(tm) v1.2");
  EXPECT_EQ(g.title(), "Vardo");
  config::resetToDefaults();
}

TEST(Frame1, RealisationKeepsTheClientAreaOnce) {
  Frame1 f;
  EXPECT_FALSE(f.visible());
  f.addNotify({20, 4, 4, 4});
  f.addNotify({20, 4, 4, 4});
  EXPECT_TRUE(f.fComponentsAdjusted);
  EXPECT_EQ(f.width(), 408);
  EXPECT_EQ(f.height(), 124);
  EXPECT_EQ(f.textField1.x, 88);
  EXPECT_EQ(f.textField1.y, 32);
  EXPECT_EQ(f.textField2.x, 16);
  EXPECT_EQ(f.textField2.y, 68);
}

TEST(Frame1, ClosingOnlyHidesAndTextsStillArrive) {
  Frame1 f;
  f.setVisible(true);
  EXPECT_TRUE(f.visible());
  EXPECT_EQ(f.x(), 50);
  EXPECT_EQ(f.y(), 50);
  f.Frame1_WindowClosing();
  EXPECT_FALSE(f.visible());
  f.printText("Now Processing log 1 of 1: a.log");
  f.setVisible(false);
  EXPECT_EQ(f.textField2.text, "Now Processing log 1 of 1: a.log");
  f.printHeader("h");
  EXPECT_EQ(f.textField1.text, "h");
}

}  // namespace
