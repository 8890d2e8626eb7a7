#include "util/Json.h"

#include <cmath>

namespace util {

std::string latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char ch : latin1) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

Json jsonText(std::string_view latin1) { return Json(latin1ToUtf8(latin1)); }

Json jsonTextOrNull(const std::optional<std::string>& latin1) {
  return latin1 ? jsonText(*latin1) : Json(nullptr);
}

Json jsonTexts(const std::vector<std::string>& latin1) {
  Json list = Json::array();
  for (const std::string& s : latin1) list.push_back(jsonText(s));
  return list;
}

Json jsonNumber(double v) { return std::isfinite(v) ? Json(v) : Json(nullptr); }

std::string jsonDump(const Json& value) {
  // Every text went through latin1ToUtf8, so strict checking cannot fail on
  // our own values; a text put in some other way fails loudly here.
  return value.dump(-1, ' ', false, Json::error_handler_t::strict);
}

}  // namespace util
