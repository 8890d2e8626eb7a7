#include "programs/vardobf/output/TableHtml.h"

#include <exception>

#include "base/Failure.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf::output {
namespace {

using util::Debug;

// Each character escaped and followed by a line break: text written downwards.
std::string downwards(const std::string& s) {
  std::string out;
  for (char c : s) out += TableHtml::cleanString(std::string(1, c)) + "<br>";
  return out;
}

std::string href(const TableEntry& e) { return e.href.value_or(""); }

// A bot's name without the skill level that the match appends to it
// (" [" + level + "]"); a name without one is kept whole.
std::string withoutSkillLevel(const std::string& name) {
  if (name.size() < 4 || name.back() != ']') return name;
  const size_t open = name.rfind(" [");
  if (open == std::string::npos || open + 3 >= name.size()) return name;
  for (size_t i = open + 2; i + 1 < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return name;
  return name.substr(0, open);
}

// " name=value " when `shown`.
void attribute(std::string& w, const char* name, int32_t value, bool shown) {
  if (!shown) return;
  w += name;
  w += std::to_string(value);
  w += ' ';
}

}  // namespace

namespace {

// The four markup characters as entities, and with `blanks` a blank as
// "&nbsp;".
std::string escaped(const std::string& s, bool blanks) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '>':
        out += "&gt;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case ' ':
        out += blanks ? "&nbsp;" : " ";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string TableHtml::cleanString(const std::optional<std::string>& s) {
  if (!s || s->empty()) return "&nbsp;";
  return escaped(*s, true);
}

std::string TableHtml::htmlText(const std::string& s) { return escaped(s, false); }

const char* TableHtml::cellClass(const TableEntry& e) {
  switch (e.type) {
    case render::kValue:
      return "class=w";
    case render::kHeading:
      return "class=r nowrap";
    case render::kRowLabel:
    case render::kDownwards:
      return "class=y";
    case render::kHuman:
    case render::kLink:
      return e.href ? "class=y nowrap" : "class=z";
    case render::kBot:
      return e.href ? "class=y nowrap" : "class=t";
    case render::kTotal:
      return "class=ad";
    case render::kHeadingDownwards:
      return "class=r";
    case render::kTeamTitle:
      return "class=v";
    case render::kTitle:
      return "class=s";
    case render::kHelp:
      return "class=h";
    case render::kTeam1:
      return "class=t1";
    case render::kTeam2:
      return "class=t2";
    case render::kTeam3:
      return "class=t3";
    case render::kTeam4:
      return "class=t4";
    default:
      return "class=y nowrap";
  }
}

void TableHtml::appendText(std::string& w, const TableEntry& e) {
  switch (e.type) {
    case render::kHuman:
    case render::kBot:
    case render::kLink: {
      if (!e.href) {
        w += cleanString(e.val);
        return;
      }
      // The link targets are page numbers and names the pages build
      // themselves; escaping them too keeps a stray quote from ending the
      // attribute.
      w += "&nbsp;<a href=\"";
      w += htmlText(href(e));
      if (e.type == render::kLink) {
        w += "\" class=z>";
      } else {
        w += e.type == render::kHuman ? ".html\" class=z>" : ".html\" class=t>";
      }
      w += cleanString(e.val);
      w += "</a>&nbsp;";
      return;
    }
    case render::kDownwards:
    case render::kHeadingDownwards:
      w += downwards(e.val);
      return;
    case render::kHumanCareer:
    case render::kBotCareer: {
      std::string v = e.type == render::kBotCareer ? withoutSkillLevel(e.val) : e.val;
      w += "<a href=\"";
      w += htmlText(href(e));
      w += e.type == render::kHumanCareer ? ".html\" class=am>" : ".html\" class=al>";
      w += downwards(v);
      w += "</a>";
      return;
    }
    case render::kTeam1:
    case render::kTeam2:
    case render::kTeam3:
    case render::kTeam4:
      w += e.val;
      return;
    default:
      w += "&nbsp;";
      w += e.val;
      w += "&nbsp";
  }
}

std::string TableHtml::entryText(const TableEntry& e) {
  std::string w;
  appendText(w, e);
  return w;
}

void TableHtml::createTable(std::string& w, const Table& v, const std::optional<std::string>& title,
                            const std::optional<std::string>& tableWidth) {
  if (Debug::level() >= 3)
    Debug::print("I TableHtml.createTable" + (title ? ": " + *title : ""), 3);
  try {
    if (tableWidth)
      w += "<table border=0 width=" + *tableWidth + " cellpadding=0>\n";
    else
      w += "<table border=0 cellpadding=0>\n";
    if (title) {
      int64_t cols = 0;
      if (!v.empty())
        for (const Cell& c : v.front())
          if (!c.empty()) cols += c.front().colspan;
      if (*title == "Kills Match Up" || *title == "Opponent Comparison Chart") {
        int64_t rows = 1;
        for (const Row& r : v)
          if (!r.empty() && !r.front().empty()) rows += r.front().front().rowspan;
        w += "<tr><td rowspan=" + std::to_string(rows) + " width=25%>&nbsp</td>";
        w += "<td class=s colspan=" + std::to_string(cols) + ">" + *title + "</td>";
        w += "<td rowspan=" + std::to_string(rows) + " width=25%>&nbsp</td></tr>\n";
      } else {
        w += "<tr><td class=s colspan=" + std::to_string(cols) + ">" + *title + "</td></tr>\n";
      }
    }
    for (const Row& r : v) {
      w += "<tr>";
      for (const Cell& c : r) {
        if (c.empty()) continue;
        const TableEntry& f = c.front();
        w += "<td ";
        attribute(w, "width=", f.width, f.width > 0);
        attribute(w, "height=", f.height, f.height > 0);
        attribute(w, "colspan=", f.colspan, f.colspan != 1);
        attribute(w, "rowspan=", f.rowspan, f.rowspan != 1);
        w += cellClass(f);
        w += '>';
        for (size_t i = 0; i < c.size(); ++i) {
          if (i > 0) w += "<br>";
          appendText(w, c[i]);
        }
        w += "</td>";
      }
      w += "</tr>\n";
    }
    w += "</table>\n";
  } catch (const std::exception& e) {
    util::traceFailure("TableHtml", "createTable", e);
  }
  Debug::print("O TableHtml.createTable", 3);
}

}  // namespace programs::vardobf::output
