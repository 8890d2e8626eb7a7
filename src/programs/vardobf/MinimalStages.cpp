#include "programs/vardobf/MinimalStages.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "programs/vardo/config.h"

namespace programs::vardobf {
namespace {

std::string escapeHtml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"ISO-8859-1\"><title>" + escapeHtml(title) +
         "</title></head>\n<body><h1>" + escapeHtml(title) + "</h1>\n" + body + "</body></html>\n";
}

}  // namespace

void MinimalTotals::update(const games::Game& g) {
  seen_.insert(g.theTime());
  games_.insert(games_.begin(), g.theTime());
}

bool MinimalTotals::isPrintableGame(const games::Game& g, int32_t n) {
  auto limit = games_.begin() + std::min<ptrdiff_t>(std::max(n, 0), games_.size());
  return std::find(games_.begin(), limit, g.theTime()) != limit;
}

bool MinimalTotals::isHighGame(const games::Game& g) {
  return !games_.empty() && games_.back() == g.theTime();
}

bool MinimalTotals::isRecentGame(const games::Game& g) {
  return !games_.empty() && games_.front() == g.theTime();
}

void MinimalTotalsHtml::writeTotals(programs::vardo::Totals& t) {
  std::string body =
      "<p>Matches counted in this run: " + std::to_string(t.gListSize()) + "</p>\n<ul>\n";
  for (int32_t i = 0; i < t.gListSize(); ++i) {
    std::string id = std::to_string(t.gListElement(i));
    body += "<li><a href=\"Individual_Game_Stats/" + id + "/index.html\">" + id + "</a></li>\n";
  }
  body += "</ul>\n";
  std::string dir = programs::vardo::config::vdHtmlDir();
  if (!platform::isDirectory(dir)) platform::makeDirectory(dir);
  platform::writeFile(dir + "Vardo_Main.html", page("Vardo for Brimfall(tm)", body));
}

}  // namespace programs::vardobf
