// The registry file reader: a good file, the forms of values, and damaged
// files that must give their problem and never crash.
#include "platform/RegistryFile.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/FileRegistry.h"

namespace platform {
namespace {

using Type = RegistryValue::Type;

constexpr const char* kGood =
    "REGEDIT4\n"
    "\n"
    "; the client\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]\n"
    "@=\"ZephClient\"\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\ZephClient\\Shell\\Open\\command]\n"
    "@=\"\\\"/opt/zeph/client\\\" \\\"%1\\\"\"\n"
    "\"Count\"=dword:0000002a\n"
    "\"Data\"=hex:01,02,ff,\\\n"
    "  03,04\n"
    "\"Path\"=hex(2):2f,75,73,72,00\n"
    "\"Odd\"=hex(7):61,00,00\n";

std::string key(const char* rest) {
  return std::string("HKEY_LOCAL_MACHINE\\Software\\Classes\\") + rest;
}

class ZephgoRegistryFileTest : public ::testing::Test {
 protected:
  // The first problem, or "" when there is none.
  static std::string problemOf(std::string_view text) {
    auto f = RegistryFile::parse(text);
    return f.problems().empty() ? "" : f.problems()[0];
  }
  static std::string good() { return kGood; }
  // Damage helpers.
  static std::string replaced(std::string s, const std::string& from, const std::string& to) {
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
  }
};

TEST_F(ZephgoRegistryFileTest, GoodFile) {
  auto f = RegistryFile::parse(kGood);
  EXPECT_EQ(f.problemCount(), 0u) << (f.problems().empty() ? "" : f.problems()[0]);
  const Registry& r = f.registry();
  EXPECT_EQ(r.stringValue(key(".spi"), ""), "ZephClient");
  const std::string cmd = key("ZephClient\\Shell\\Open\\command");
  EXPECT_EQ(r.stringValue(cmd, ""), "\"/opt/zeph/client\" \"%1\"");
  auto count = r.value(cmd, "count");
  ASSERT_TRUE(count);
  EXPECT_EQ(count->type, Type::Dword);
  EXPECT_EQ(count->data, std::string("\x2a\0\0\0", 4));
  auto data = r.value(cmd, "Data");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->type, Type::Binary);
  EXPECT_EQ(data->data, "\x01\x02\xff\x03\x04");
  EXPECT_EQ(r.stringValue(cmd, "Path"), "/usr");
  EXPECT_EQ(r.value(cmd, "Path")->type, Type::ExpandString);
  EXPECT_EQ(r.value(cmd, "Odd")->type, Type::Other);
  EXPECT_EQ(r.value(cmd, "Odd")->rawType, 7u);
  EXPECT_EQ(r.stringValue(cmd, "Count"), std::nullopt) << "not a string";
  EXPECT_EQ(r.value(cmd, "Missing"), std::nullopt);
  EXPECT_EQ(r.value(key("Nothing"), ""), std::nullopt);
}

TEST_F(ZephgoRegistryFileTest, LineEndsAndEncodings) {
  std::string crlf = kGood;
  for (size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2))
    crlf.replace(at, 1, "\r\n");
  std::string cr = kGood;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  std::string bom = "\xEF\xBB\xBF" + good();
  std::string utf16 = "\xFF\xFE";
  for (char c : replaced(good(), "REGEDIT4", "Windows Registry Editor Version 5.00")) {
    utf16 += c;
    utf16 += '\0';
  }
  std::string utf16be = "\xFE\xFF";
  for (char c : good()) {
    utf16be += '\0';
    utf16be += c;
  }
  for (const auto& text : {crlf, cr, bom, utf16, utf16be}) {
    auto f = RegistryFile::parse(text);
    EXPECT_EQ(f.problemCount(), 0u) << (f.problems().empty() ? "" : f.problems()[0]);
    EXPECT_EQ(f.registry().stringValue(key(".spi"), ""), "ZephClient");
    EXPECT_EQ(f.registry().size(), 6u);
  }
  // Version-5 typed strings are UTF-16.
  auto v5 = RegistryFile::parse(
      "Windows Registry Editor Version "
      "5.00\n[HKEY_CURRENT_USER\\K]\n\"P\"=hex(2):2f,00,e9,00,00,00\n");
  EXPECT_EQ(v5.registry().stringValue("HKEY_CURRENT_USER\\K", "P"), "/\xC3\xA9");
}

TEST_F(ZephgoRegistryFileTest, LaterValuesWinAndValuesCanBeRemoved) {
  auto f = RegistryFile::parse(
      good() + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\.SPI\\]\n@=\"Other\"\n" +
      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\ZephClient\\Shell\\Open\\command]\n" +
      "\"Count\"=-\n");
  EXPECT_EQ(f.problemCount(), 0u);
  EXPECT_EQ(f.registry().stringValue(key(".spi"), ""), "Other");
  EXPECT_EQ(f.registry().value(key("ZephClient\\Shell\\Open\\command"), "Count"), std::nullopt);
}

TEST_F(ZephgoRegistryFileTest, NotARegistryFile) {
  const std::string notRegistry = "not a registry file: the first line must be \"REGEDIT4\"";
  EXPECT_EQ(problemOf(""), notRegistry);
  EXPECT_EQ(problemOf("\n" + good()), notRegistry);
  EXPECT_EQ(problemOf(replaced(good(), "REGEDIT4", "REGEDIT5")), notRegistry);
  EXPECT_EQ(problemOf("\x89PNG\r\n\x1a\n"), notRegistry);
  EXPECT_EQ(problemOf(replaced(good(), "Zeph", std::string("Ze\0ph", 5))),
            "not a registry file: it holds NUL characters (text was expected)");
  EXPECT_EQ(problemOf("\xFF\xFE\x52"),
            "not a registry file: UTF-16 text with an odd number of bytes");
  // UTF-16 without its header line, and a lone surrogate: not a crash.
  EXPECT_EQ(problemOf(std::string("\xFF\xFE\x00\xD8\x41\x00", 6)), notRegistry);
  auto f = RegistryFile::parse(std::string(RegistryFile::kMaxFileSize + 1, 'x'));
  EXPECT_EQ(f.problems().at(0), "the file is larger than 8388608 bytes");
  EXPECT_EQ(f.registry().size(), 0u);
}

TEST_F(ZephgoRegistryFileTest, MalformedLinesAreSkippedWithTheirLineNumber) {
  struct Case {
    std::string from, to, problem;
  };
  const Case cases[] = {
      {"@=\"ZephClient\"", "@=\"ZephClient", "line 5: malformed value data"},
      {"@=\"ZephClient\"", "@=\"ZephClient\" junk", "line 5: malformed value data"},
      {"@=\"ZephClient\"", "@\"ZephClient\"", "line 5: \"=\" expected after the name"},
      {"@=\"ZephClient\"", "@=ZephClient", "line 5: malformed value data"},
      {"@=\"ZephClient\"", "\"Name=\"x\"", "line 5: \"=\" expected after the name"},
      {"@=\"ZephClient\"", "\"Name", "line 5: the value name has no closing quote"},
      {"@=\"ZephClient\"", "ZephClient", "line 5: not a key, a value or a comment"},
      {"dword:0000002a", "dword:", "line 9: malformed value data"},
      {"dword:0000002a", "dword:123456789", "line 9: malformed value data"},
      {"dword:0000002a", "dword:12g4", "line 9: malformed value data"},
      {"hex:01,02,ff", "hex:01,002,ff", "line 10: malformed value data"},
      {"hex:01,02,ff", "hex:01,,ff", "line 10: malformed value data"},
      {"hex(2):2f", "hex(2:2f", "line 12: malformed value data"},
      {"hex(2):2f", "hex(zz):2f", "line 12: malformed value data"},
      {"[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]",
       "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi", "line 4: a key line must end with \"]\""},
      {"[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]", "[HKLM\\Software\\Classes\\.spi]",
       "line 4: unknown root key \"hklm\""},
      {"[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]", "[\\\\]", "line 4: empty key name"},
      {"[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]",
       "[-HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]",
       "line 4: removing keys is not supported; the key's values are skipped"},
  };
  for (const auto& c : cases) {
    auto f = RegistryFile::parse(replaced(good(), c.from, c.to));
    ASSERT_FALSE(f.problems().empty()) << c.to;
    EXPECT_EQ(f.problems()[0], c.problem) << c.to;
    // The lines after the bad one still count.
    EXPECT_TRUE(f.registry().value(key("ZephClient\\Shell\\Open\\command"), "Odd")) << c.to;
  }
  EXPECT_EQ(problemOf("REGEDIT4\n@=\"x\"\n"), "line 2: a value outside a key");
}

TEST_F(ZephgoRegistryFileTest, CutShortOrFlippedNeverCrashes) {
  const std::string g = good();
  for (size_t n = 0; n <= g.size(); ++n) {
    auto f = RegistryFile::parse(g.substr(0, n));
    EXPECT_LE(f.problems().size(), RegistryFile::kMaxProblems);
  }
  for (size_t i = 0; i < g.size(); ++i) {
    std::string damaged = g;
    damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    RegistryFile::parse(damaged);
  }
  // A continuation at the very end of the file.
  auto f = RegistryFile::parse("REGEDIT4\n[HKEY_USERS\\K]\n\"D\"=hex:01,\\");
  EXPECT_EQ(f.registry().value("HKEY_USERS\\K", "D")->data, "\x01");
}

TEST_F(ZephgoRegistryFileTest, ProblemsAreCountedBeyondTheKeptOnes) {
  std::string text = "REGEDIT4\n";
  for (int i = 0; i < 200; ++i) text += "garbage\n";
  auto f = RegistryFile::parse(text);
  EXPECT_EQ(f.problems().size(), RegistryFile::kMaxProblems);
  EXPECT_EQ(f.problemCount(), 200u);
}

TEST_F(ZephgoRegistryFileTest, LoadingFiles) {
  testing_support::TestDir dir;
  auto missing = RegistryFile::load(dir / "none.reg");
  EXPECT_EQ(missing.problemCount(), 0u);
  EXPECT_EQ(missing.registry().size(), 0u);
  auto directory = RegistryFile::load(dir.path());
  ASSERT_EQ(directory.problemCount(), 1u);
  EXPECT_EQ(directory.problems()[0].rfind("cannot be read: ", 0), 0u);
  auto empty = RegistryFile::load(dir.write("empty.reg", ""));
  EXPECT_EQ(empty.problemCount(), 1u);
  auto ok = RegistryFile::load(dir.write("ok.reg", kGood));
  EXPECT_EQ(ok.registry().stringValue(key(".spi"), ""), "ZephClient");

  EXPECT_EQ(RegistryFile::defaultPath("/x", "/home/u"), "/x/zephgo/registry.reg");
  EXPECT_EQ(RegistryFile::defaultPath("", "/home/u"), "/home/u/.config/zephgo/registry.reg");
  EXPECT_EQ(RegistryFile::defaultPath(nullptr, nullptr), "");
}

TEST_F(ZephgoRegistryFileTest, FileRegistryReadsAgainAndReportsOnce) {
  testing_support::TestDir dir;
  std::vector<std::string> reports;
  FileRegistry reg(dir / "r.reg", [&](const std::string& s) { reports.push_back(s); });
  EXPECT_EQ(reg.stringValue(key(".spi"), ""), std::nullopt);
  dir.write("r.reg", good() + "junk\n");
  EXPECT_EQ(reg.stringValue(key(".spi"), ""), "ZephClient");
  EXPECT_EQ(reg.stringValue(key(".spi"), ""), "ZephClient");
  EXPECT_EQ(reports, (std::vector<std::string>{dir / "r.reg" +
                                               ": line 14: not a key, a value or a comment"}));
}

}  // namespace
}  // namespace platform
