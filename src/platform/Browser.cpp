#include "platform/Browser.h"

namespace platform {
namespace {

std::vector<std::string> words(std::string_view s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
    if (i > start) out.emplace_back(s.substr(start, i - start));
  }
  return out;
}

}  // namespace

SystemBrowser::SystemBrowser(const char* browserVariable) {
  if (browserVariable != nullptr) {
    std::string_view list = browserVariable;
    while (true) {
      size_t colon = list.find(':');
      std::string_view item = list.substr(0, colon);
      if (!words(item).empty()) commands_.emplace_back(item);
      if (colon == std::string_view::npos) break;
      list.remove_prefix(colon + 1);
    }
  }
  if (commands_.empty()) commands_.push_back("xdg-open");
}

std::vector<std::vector<std::string>> SystemBrowser::commandsFor(const std::string& url) const {
  std::vector<std::vector<std::string>> out;
  for (const auto& c : commands_) {
    auto argv = words(c);
    bool placed = false;
    for (auto& w : argv) {
      for (size_t at = w.find("%s"); at != std::string::npos; at = w.find("%s", at + url.size())) {
        w.replace(at, 2, url);
        placed = true;
      }
    }
    if (!placed) argv.push_back(url);
    out.push_back(std::move(argv));
  }
  return out;
}

}  // namespace platform
