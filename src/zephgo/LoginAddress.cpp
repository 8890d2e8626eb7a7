#include "zephgo/LoginAddress.h"

#include "zephgo/Messages.h"

namespace zephgo {

bool isNumericArgument(std::string_view arg) {
  if (!arg.empty() && arg.front() == '0') return true;
  size_t i = 0;
  while (i < arg.size() && (arg[i] == ' ' || (arg[i] >= '\t' && arg[i] <= '\r'))) ++i;
  if (i < arg.size() && (arg[i] == '+' || arg[i] == '-')) ++i;
  // Only whether the value is zero matters, so a number of any length is
  // judged without computing it.
  for (; i < arg.size() && arg[i] >= '0' && arg[i] <= '9'; ++i)
    if (arg[i] != '0') return true;
  return false;
}

std::optional<std::string> loginAddress(std::string_view gameClassId) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = std::string(kLoginPage) + "?game_id=";
  for (char ch : gameClassId) {
    auto c = static_cast<unsigned char>(ch);
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      url += ch;
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
    if (url.size() > kMaxAddressLength) return std::nullopt;
  }
  return url;
}

}  // namespace zephgo
