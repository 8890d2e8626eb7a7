#include "platform/RegistryFile.h"

#include <optional>
#include <utility>

#include "base/Failure.h"
#include "base/Text.h"
#include "platform/FileSystem.h"

namespace platform {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
// In the lower case of MemoryRegistry::normalKey.
constexpr std::string_view kRoots[] = {"hkey_local_machine", "hkey_current_user",
                                       "hkey_classes_root", "hkey_users", "hkey_current_config"};

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16 units to UTF-8; an unpaired surrogate becomes U+FFFD. `bytes` has an
// even length.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  auto unit = [&](size_t i) -> uint32_t {
    auto b0 = static_cast<uint8_t>(bytes[i]);
    auto b1 = static_cast<uint8_t>(bytes[i + 1]);
    return bigEndian ? (uint32_t{b0} << 8 | b1) : (uint32_t{b1} << 8 | b0);
  };
  std::string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
      uint32_t lo = unit(i + 2);
      if (lo >= 0xDC00 && lo < 0xE000) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        i += 2;
        continue;
      }
    }
    appendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
  }
  return out;
}

using base::trim;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `maxDigits` hexadecimal digits, nothing else.
std::optional<uint32_t> parseHex(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t v = 0;
  for (char c : s) {
    int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  return v;
}

// "01,ff, 2" -> bytes; none when an item is not one or two hex digits.
std::optional<std::string> parseHexBytes(std::string_view s) {
  std::string out;
  s = trim(s);
  if (s.empty()) return out;
  while (true) {
    size_t comma = s.find(',');
    std::string_view item = trim(s.substr(0, comma));
    if (comma == std::string_view::npos && item.empty()) break;  // a trailing comma
    auto b = parseHex(item, 2);
    if (!b) return std::nullopt;
    out += static_cast<char>(*b);
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  return out;
}

std::string dwordBytes(uint32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  return out;
}

}  // namespace

// Turns the lines of a decoded text into keys and values.
class RegistryFile::Parser {
 public:
  Parser(RegistryFile& file, std::string_view text) : file_(file), text_(text) {}

  void run() {
    std::optional<std::string_view> first = nextLine();
    std::string_view header = first ? trim(*first) : std::string_view();
    if (header != kHeader4 && header != kHeader5) {
      file_.addProblem("not a registry file: the first line must be \"REGEDIT4\"");
      return;
    }
    unicode_ = header == kHeader5;
    while (auto line = nextLine()) handle(*line);
  }

 private:
  // The next physical line without its end (LF, CR LF or CR).
  std::optional<std::string_view> nextLine() {
    if (pos_ >= text_.size()) return std::nullopt;
    size_t end = pos_;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
    std::string_view line = text_.substr(pos_, end - pos_);
    if (end < text_.size()) {
      bool cr = text_[end] == '\r';
      ++end;
      if (cr && end < text_.size() && text_[end] == '\n') ++end;
    }
    pos_ = end;
    ++lineNo_;
    return line;
  }

  void problem(size_t line, const std::string& what) {
    file_.addProblem("line " + std::to_string(line) + ": " + what);
  }

  void handle(std::string_view raw) {
    std::string_view line = trim(raw);
    if (line.empty() || line.front() == ';') return;
    size_t at = lineNo_;
    if (line.front() == '[') {
      section(at, line);
    } else if (line.front() == '@' || line.front() == '"') {
      valueLine(at, line);
    } else {
      problem(at, "not a key, a value or a comment");
    }
  }

  void section(size_t at, std::string_view line) {
    key_.reset();
    if (line.back() != ']') return problem(at, "a key line must end with \"]\"");
    std::string_view name = line.substr(1, line.size() - 2);
    if (!name.empty() && name.front() == '-')
      return problem(at, "removing keys is not supported; the key's values are skipped");
    std::string normal = MemoryRegistry::normalKey(name);
    if (normal.empty()) return problem(at, "empty key name");
    std::string_view root = std::string_view(normal).substr(0, normal.find('\\'));
    bool known = false;
    for (auto r : kRoots) known = known || root == r;
    if (!known) return problem(at, "unknown root key \"" + std::string(root) + "\"");
    key_ = std::string(name);
    file_.registry_.createKey(*key_);
  }

  // A quoted text at the start of `s` (which begins with '"'); `s` is left
  // after the closing quote. None when the quote is not closed.
  static std::optional<std::string> quoted(std::string_view& s) {
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
      char c = s[i];
      if (c == '"') {
        s.remove_prefix(i + 1);
        return out;
      }
      if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) c = s[++i];
      out += c;
    }
    return std::nullopt;
  }

  void valueLine(size_t at, std::string_view line) {
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      auto n = quoted(line);
      if (!n) return problem(at, "the value name has no closing quote");
      name = std::move(*n);
    }
    line = trim(line);
    if (line.empty() || line.front() != '=') return problem(at, "\"=\" expected after the name");
    line = trim(line.substr(1));
    std::string joined;
    if (line.starts_with("hex")) {
      // Long hex data goes on over lines that end with a backslash.
      joined = std::string(line);
      while (!joined.empty() && joined.back() == '\\') {
        joined.pop_back();
        auto next = nextLine();
        if (!next) break;
        joined += trim(*next);
      }
      line = joined;
    }
    if (!key_) return problem(at, "a value outside a key");
    if (line == "-") {
      // Deleting a value that is not there is no error in a registry file.
      static_cast<void>(file_.registry_.remove(*key_, name));
      return;
    }
    auto v = data(line);
    if (!v) return problem(at, "malformed value data");
    file_.registry_.set(*key_, name, std::move(*v));
  }

  std::optional<RegistryValue> data(std::string_view s) {
    RegistryValue v;
    if (!s.empty() && s.front() == '"') {
      auto text = quoted(s);
      if (!text || !trim(s).empty()) return std::nullopt;
      v.data = std::move(*text);
      return v;
    }
    if (s.starts_with("dword:")) {
      auto n = parseHex(trim(s.substr(6)), 8);
      if (!n) return std::nullopt;
      v.type = RegistryValue::Type::Dword;
      v.data = dwordBytes(*n);
      return v;
    }
    uint32_t type = 3;
    if (s.starts_with("hex(")) {
      size_t close = s.find("):");
      if (close == std::string_view::npos) return std::nullopt;
      auto t = parseHex(s.substr(4, close - 4), 8);
      if (!t) return std::nullopt;
      type = *t;
      s.remove_prefix(close + 2);
    } else if (s.starts_with("hex:")) {
      s.remove_prefix(4);
    } else {
      return std::nullopt;
    }
    auto bytes = parseHexBytes(s);
    if (!bytes) return std::nullopt;
    return typed(type, std::move(*bytes));
  }

  RegistryValue typed(uint32_t type, std::string bytes) const {
    RegistryValue v;
    v.rawType = type;
    v.data = std::move(bytes);
    if (type == 1 || type == 2) {
      v.type = type == 1 ? RegistryValue::Type::String : RegistryValue::Type::ExpandString;
      // Version-5 files hold these as UTF-16 text; REGEDIT4 files as bytes.
      if (unicode_)
        v.data = utf16ToUtf8(std::string_view(v.data).substr(0, v.data.size() & ~size_t{1}), false);
      size_t nul = v.data.find('\0');
      if (nul != std::string::npos) v.data.resize(nul);
    } else if (type == 4 && v.data.size() == 4) {
      v.type = RegistryValue::Type::Dword;
    } else {
      v.type = type == 3 ? RegistryValue::Type::Binary : RegistryValue::Type::Other;
    }
    return v;
  }

  RegistryFile& file_;
  std::string_view text_;
  size_t pos_ = 0;
  size_t lineNo_ = 0;
  bool unicode_ = false;
  std::optional<std::string> key_;
};

void RegistryFile::addProblem(std::string text) {
  ++problemCount_;
  if (problems_.size() < kMaxProblems) problems_.push_back(std::move(text));
}

RegistryFile RegistryFile::parse(std::string_view bytes) {
  RegistryFile file;
  if (bytes.size() > kMaxFileSize) {
    file.addProblem("the file is larger than " + std::to_string(kMaxFileSize) + " bytes");
    return file;
  }
  std::string text;
  auto b = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  if (bytes.size() >= 2 && ((b(0) == 0xFF && b(1) == 0xFE) || (b(0) == 0xFE && b(1) == 0xFF))) {
    if (bytes.size() % 2 != 0) {
      file.addProblem("not a registry file: UTF-16 text with an odd number of bytes");
      return file;
    }
    text = utf16ToUtf8(bytes.substr(2), b(0) == 0xFE);
  } else {
    if (bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) bytes.remove_prefix(3);
    text = std::string(bytes);
  }
  if (text.find('\0') != std::string::npos) {
    file.addProblem("not a registry file: it holds NUL characters (text was expected)");
    return file;
  }
  Parser(file, text).run();
  return file;
}

RegistryFile RegistryFile::load(const std::string& path) {
  if (!exists(path)) return RegistryFile();
  try {
    if (fileSize(path) > static_cast<int64_t>(kMaxFileSize)) {
      RegistryFile file;
      file.addProblem("the file is larger than " + std::to_string(kMaxFileSize) + " bytes");
      return file;
    }
    return parse(readFile(path));
  } catch (const base::Failure& e) {
    RegistryFile file;
    file.addProblem(std::string("cannot be read: ") + e.what());
    return file;
  }
}

std::string RegistryFile::defaultPath(const char* xdgConfigHome, const char* home) {
  if (xdgConfigHome != nullptr && *xdgConfigHome != '\0')
    return std::string(xdgConfigHome) + "/zephgo/registry.reg";
  if (home != nullptr && *home != '\0') return std::string(home) + "/.config/zephgo/registry.reg";
  return "";
}

}  // namespace platform
