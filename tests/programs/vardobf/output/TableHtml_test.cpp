// The table renderer, the escaping of table text, the page frame and the
// number format of the pages.
#include "programs/vardobf/output/TableHtml.h"

#include <gtest/gtest.h>

#include "programs/vardobf/output/FrameHtml.h"

namespace programs::vardobf::output {
namespace {

std::string render(const Table& t, const std::optional<std::string>& title = std::nullopt,
                   const std::optional<std::string>& width = std::nullopt) {
  std::string w;
  TableHtml::createTable(w, t, title, width);
  return w;
}

std::string cell(const TableEntry& e) { return render({{{e}}}); }

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Escaping, MarkupCharactersAndBlanksBecomeEntities) {
  EXPECT_EQ(TableHtml::cleanString(std::nullopt), "&nbsp;");
  EXPECT_EQ(TableHtml::cleanString(std::string()), "&nbsp;");
  EXPECT_EQ(TableHtml::cleanString("<b> & \"x\""), "&lt;b&gt;&nbsp;&amp;&nbsp;&quot;x&quot;");
  EXPECT_EQ(TableHtml::cleanString("Jos\xE9"), "Jos\xE9");  // Latin-1 bytes stay as they are
  EXPECT_EQ(TableHtml::htmlText("<script>a & \"b\"</script> \xDF"),
            "&lt;script&gt;a &amp; &quot;b&quot;&lt;/script&gt; \xDF");
}

TEST(Escaping, OnlyLinkAndDownwardTypesEscapeTheirText) {
  EXPECT_EQ(TableHtml::entryText(TableEntry("<i>", 1)), "&nbsp;<i>&nbsp");
  EXPECT_EQ(TableHtml::entryText(TableEntry("a<b", 4)), "a&lt;b");
  EXPECT_EQ(TableHtml::entryText(TableEntry("a b", 5, "3")),
            "&nbsp;<a href=\"3.html\" class=t>a&nbsp;b</a>&nbsp;");
  EXPECT_EQ(TableHtml::entryText(TableEntry("<>", 6)), "&lt;<br>&gt;<br>");
  // A quote in a link target cannot end the attribute.
  EXPECT_EQ(TableHtml::entryText(TableEntry("x", 13, "a\"b.html")),
            "&nbsp;<a href=\"a&quot;b.html\" class=z>x</a>&nbsp;");
}

TEST(TableRendering, EveryEntryTypeHasItsCellClassAndText) {
  struct Case {
    TableEntry e;
    std::string expected;
  } cases[] = {
      {TableEntry("", 1), "<td class=w>&nbsp;&nbsp</td>"},
      {TableEntry("H", 2), "<td class=r nowrap>&nbsp;H&nbsp</td>"},
      {TableEntry("L", 3), "<td class=y>&nbsp;L&nbsp</td>"},
      {TableEntry("Ann", 4), "<td class=z>Ann</td>"},
      {TableEntry("Ann", 4, "0"),
       "<td class=y nowrap>&nbsp;<a href=\"0.html\" class=z>Ann</a>&nbsp;</td>"},
      {TableEntry("Bot", 5), "<td class=t>Bot</td>"},
      {TableEntry("", 6), "<td class=y></td>"},
      {TableEntry("Ab", 7, "2"),
       "<td class=y nowrap><a href=\"2.html\" class=am>A<br>b<br></a></td>"},
      {TableEntry("Bo [7]", 8, "1"),
       "<td class=y nowrap><a href=\"1.html\" class=al>B<br>o<br></a></td>"},
      // Only a skill level that is there is left out of a bot's name.
      {TableEntry("Cinder", 8, "1"),
       "<td class=y nowrap><a href=\"1.html\" class=al>C<br>i<br>n<br>d<br>e<br>r<br></a></td>"},
      {TableEntry("Ed [13]", 8, "1"),
       "<td class=y nowrap><a href=\"1.html\" class=al>E<br>d<br></a></td>"},
      {TableEntry("Ty [x]", 8, "1"),
       "<td class=y nowrap><a href=\"1.html\" "
       "class=al>T<br>y<br>&nbsp;<br>[<br>x<br>]<br></a></td>"},
      {TableEntry(" [4]", 8, "1"), "<td class=y nowrap><a href=\"1.html\" class=al></a></td>"},
      {TableEntry("9", 9), "<td class=ad>&nbsp;9&nbsp</td>"},
      {TableEntry("ab", 10), "<td class=r>a<br>b<br></td>"},
      {TableEntry("v", 11), "<td class=v>&nbsp;v&nbsp</td>"},
      {TableEntry("s", 12), "<td class=s>&nbsp;s&nbsp</td>"},
      {TableEntry("p", 13, "../x.html"),
       "<td class=y nowrap>&nbsp;<a href=\"../x.html\" class=z>p</a>&nbsp;</td>"},
      {TableEntry("h", 14), "<td class=h>&nbsp;h&nbsp</td>"},
      {TableEntry("&nbsp;", 20), "<td class=t1>&nbsp;</td>"},
      {TableEntry("&nbsp;", 23), "<td class=t4>&nbsp;</td>"},
      {TableEntry("o", 99), "<td class=y nowrap>&nbsp;o&nbsp</td>"},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(has(cell(c.e), "<tr>" + c.expected + "</tr>")) << c.e.type << ": " << cell(c.e);
}

TEST(TableRendering, CellAttributesComeFromTheFirstEntry) {
  Table t{{{TableEntry("a", 1, 3, 2, 20, 10), TableEntry("b", 3), TableEntry("c", 4, "5")}}};
  EXPECT_EQ(render(t),
            "<table border=0 cellpadding=0>\n<tr><td width=20 height=10 colspan=2 rowspan=3 "
            "class=w>&nbsp;a&nbsp<br>&nbsp;b&nbsp<br>&nbsp;<a href=\"5.html\" "
            "class=z>c</a>&nbsp;</td></tr>\n"
            "</table>\n");
}

TEST(TableRendering, TitleSpansTheFirstRowsColumns) {
  Table t{{{TableEntry("a", 1, 1, 2)}, {TableEntry("b", 1, 1, 3)}}, {{TableEntry("c", 1)}}};
  EXPECT_TRUE(has(
      render(t, "Highs", "100%"),
      "<table border=0 width=100% cellpadding=0>\n<tr><td class=s colspan=5>Highs</td></tr>\n"));
}

TEST(TableRendering, KillsMatchUpIsFramedByQuarterColumns) {
  // Rows: 1 + the row span of the first cell of every row (2 + 1 + 3 + 1 + 1).
  Table t{{{TableEntry("", 3, 2, 2)}, {TableEntry("Victim", 3, 1, 3)}},
          {{TableEntry("x", 7, "0")}},
          {{TableEntry("Killer", 6, 3, 1, 20, 0)}, {TableEntry("x", 4, "0")}},
          {{TableEntry("y", 4, "1")}},
          {{TableEntry("z", 4, "2")}}};
  std::string w = render(t, "Kills Match Up", "100%");
  EXPECT_TRUE(
      has(w,
          "<tr><td rowspan=9 width=25%>&nbsp</td><td class=s colspan=5>Kills Match Up</td><td "
          "rowspan=9 width=25%>&nbsp</td></tr>\n"))
      << w;
}

class Frame : public ::testing::Test {
 protected:
  void SetUp() override { FrameHtml::init(); }
  static std::string page(const std::string& title, int32_t level) {
    std::string w;
    FrameHtml::writeHeader(w, title, level);
    FrameHtml::writeSidebar(w, title, level);
    FrameHtml::writeTop(w, title, level);
    FrameHtml::writeFooter(w, title, level);
    return w;
  }
};

TEST_F(Frame, PrefixHasOneStepUpPerLevel) {
  EXPECT_EQ(FrameHtml::prefix(0), "./");
  EXPECT_EQ(FrameHtml::prefix(1), ".././");
  EXPECT_EQ(FrameHtml::prefix(2), "../.././");
  std::string w = page("Main", 2);
  EXPECT_TRUE(
      has(w, "<link REL=\"stylesheet\" HREF=\"../.././skins/skin.css\" TYPE=\"text/css\">\n"));
  EXPECT_TRUE(
      has(w, "<body background=\"../.././skins/custom_graphics/background.gif\" class=bck>"));
}

TEST_F(Frame, HeaderLinesAreWrittenAsGiven) {
  std::string w;
  FrameHtml::writeHeader(w, "Main", 0);
  EXPECT_EQ(
      w,
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\n"
      "<link REL=\"stylesheet\" HREF=\"./skins/skin.css\" TYPE=\"text/css\">\n"
      "<title>Vardo for Brimfall Main</title>\n"
      "</head><body background=\"./skins/custom_graphics/background.gif\" class=bck>\n");
}

TEST_F(Frame, ThePageLocationMarksItsLinks) {
  EXPECT_EQ(FrameHtml::location("Main"), 1);
  EXPECT_EQ(FrameHtml::location("Rankings"), 9);
  EXPECT_EQ(FrameHtml::location("All&nbsp;Bots"), 8);
  EXPECT_EQ(FrameHtml::location("Most Recent"), 0);
  EXPECT_EQ(FrameHtml::location("Zed&nbsp;the&nbsp;Bot"), 0);
  std::string main = page("Main", 0);
  EXPECT_TRUE(has(main, "<a href=\"./Vardo_Main.html\" class=\"b\">Main</a>"));
  EXPECT_TRUE(has(main,
                  "<a href=\"./Individual_Game_Stats/Recent_Index.html\" "
                  "class=\"e\">\xB7&nbsp;Most Recent</a>"));
  EXPECT_TRUE(
      has(main, "<a href=\"./Vardo_Main.html\" class=\"a\">Main</a><br>Individual Game Stats: | "));
  // A player's page is placed under "Most Recent".
  std::string player = page("Zed", 1);
  EXPECT_TRUE(has(player, "<a href=\".././Vardo_Main.html\" class=\"f\">Main</a>"));
  EXPECT_TRUE(has(player,
                  "<a href=\".././Individual_Game_Stats/Recent_Index.html\" "
                  "class=\"a\">\xB7&nbsp;Most Recent</a>"));
  EXPECT_TRUE(
      has(player,
          "<a href=\".././Individual_Game_Stats/Recent_Index.html\" class=\"a\">Most Recent</a>"));
  EXPECT_TRUE(
      has(player, "<a href=\".././Total_Game_Stats/Rankings.html\" class=\"c\">Rankings</a>"));
}

TEST_F(Frame, TheSidebarOpensTheLayoutTableRightAfterTheHeader) {
  // "Back to Top" needs no anchor: the fragment alone leads to the top.
  std::string w = page("Main", 0);
  EXPECT_TRUE(has(w, "class=bck>\n<table border=0 cellpadding=0 cellspacing=0>\n")) << w;
  EXPECT_FALSE(has(w, "name=\"Top\""));
}

TEST_F(Frame, FooterEndsTheLayoutTable) {
  std::string w = page("Main", 0);
  EXPECT_TRUE(has(w, "<a href=\"#Top\" class=\"f\">Back to Top</a>"));
  EXPECT_TRUE(has(w, "This page was created by "));
  EXPECT_TRUE(has(w, "Copyright Quillon. All rights reserved."));
  EXPECT_TRUE(has(w, "./Legal_Terms.html#trademark"));
  EXPECT_EQ(w.substr(w.size() - 31), "</tr> </table> </body> </html>\n");
}

}  // namespace
}  // namespace programs::vardobf::output
