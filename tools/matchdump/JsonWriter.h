#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// A small streaming JSON writer. Texts are ISO-8859-1 bytes and are written
// as UTF-8; numbers that are not finite are written as null.
class JsonWriter {
 public:
  const std::string& text() const { return out_; }

  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  void key(const std::string& k) {
    comma();
    string(k);
    out_ += ':';
    afterKey_ = true;
  }
  void value(const std::string& s) {
    comma();
    string(s);
  }
  void value(const char* s) { value(std::string(s)); }
  void value(const std::optional<std::string>& s) {
    if (s)
      value(*s);
    else
      null();
  }
  void value(bool b) {
    comma();
    out_ += b ? "true" : "false";
  }
  void value(int32_t v) {
    comma();
    out_ += std::to_string(v);
  }
  void value(int64_t v) {
    comma();
    out_ += std::to_string(v);
  }
  void value(double v) {
    comma();
    if (!std::isfinite(v)) {
      out_ += "null";
      return;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    out_ += buf;
  }
  void null() {
    comma();
    out_ += "null";
  }
  template <class T>
  void field(const std::string& k, const T& v) {
    key(k);
    value(v);
  }
  template <class C>
  void array(const std::string& k, const C& values) {
    key(k);
    beginArray();
    for (const auto& v : values) value(v);
    endArray();
  }

 private:
  void open(char c) {
    comma();
    out_ += c;
    first_.push_back(true);
  }
  void close(char c) {
    first_.pop_back();
    out_ += c;
  }
  void comma() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (!first_.empty()) {
      if (!first_.back()) out_ += ',';
      first_.back() = false;
    }
  }
  void string(const std::string& s) {
    out_ += '"';
    for (char ch : s) {
      const auto c = static_cast<unsigned char>(ch);
      if (c == '"' || c == '\\') {
        out_ += '\\';
        out_ += static_cast<char>(c);
      } else if (c < 0x20 || c == 0x7F) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out_ += buf;
      } else if (c >= 0x80) {
        out_ += static_cast<char>(0xC0 | (c >> 6));
        out_ += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out_ += static_cast<char>(c);
      }
    }
    out_ += '"';
  }

  std::string out_;
  std::vector<bool> first_;
  bool afterKey_ = false;
};

}  // namespace tools
