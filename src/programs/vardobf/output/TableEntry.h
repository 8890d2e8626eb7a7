#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace programs::vardobf::output {

// How TableHtml renders an entry: its cell's class and its text. The types
// marked "markup" write their text as it stands, so a name from a log must be
// escaped before it goes into one (TableHtml::htmlText); the others escape it.
namespace render {
enum Type : int32_t {
  kValue = 1,              // markup: a value cell
  kHeading = 2,            // markup: a column heading
  kRowLabel = 3,           // markup: a row label
  kHuman = 4,              // escaped: a human's name, linked to his page "<target>.html"
  kBot = 5,                // escaped: a bot's name, likewise
  kDownwards = 6,          // escaped: a row label written downwards
  kHumanCareer = 7,        // escaped: a human's name downwards, linked to his page
  kBotCareer = 8,          // escaped: a bot's name downwards, without his skill level
  kTotal = 9,              // markup: a value of a totals row
  kHeadingDownwards = 10,  // escaped: a column heading written downwards
  kTeamTitle = 11,         // markup: the title row of a team
  kTitle = 12,             // markup: a table's title row
  kLink = 13,              // escaped: a name linked to its target as given
  kHelp = 14,              // markup: a line of help text
  kTeam1 = 20,             // markup: the colour cells of teams 1 to 4
  kTeam2 = 21,
  kTeam3 = 22,
  kTeam4 = 23,
};
}  // namespace render

// One item of a table cell: its text, an optional link target and how it is
// rendered (see TableHtml). The first item of a cell also gives the cell's
// spans and size (0: not given).
struct TableEntry {
  TableEntry(std::string v, int32_t t) : val(std::move(v)), type(t) {}
  TableEntry(std::string v, int32_t t, std::string h)
      : val(std::move(v)), href(std::move(h)), type(t) {}
  TableEntry(std::string v, int32_t t, int32_t r, int32_t c)
      : val(std::move(v)), type(t), rowspan(r), colspan(c) {}
  TableEntry(std::string v, int32_t t, int32_t r, int32_t c, int32_t w, int32_t h)
      : val(std::move(v)), type(t), rowspan(r), colspan(c), width(w), height(h) {}

  std::string val;
  std::optional<std::string> href;
  int32_t type;
  int32_t rowspan = 1;
  int32_t colspan = 1;
  int32_t width = 0;
  int32_t height = 0;
};

// One cell of a table: one or more entries. Nearly every cell has exactly
// one, which it keeps in place; further entries go to a list.
class Cell {
 public:
  Cell() = default;
  Cell(std::initializer_list<TableEntry> entries) {
    for (const TableEntry& e : entries) push_back(e);
  }

  void push_back(TableEntry e) {
    if (!first_)
      first_.emplace(std::move(e));
    else
      more_.push_back(std::move(e));
  }
  bool empty() const { return !first_; }
  size_t size() const { return first_ ? 1 + more_.size() : 0; }
  const TableEntry& operator[](size_t i) const { return i == 0 ? *first_ : more_[i - 1]; }
  TableEntry& operator[](size_t i) { return i == 0 ? *first_ : more_[i - 1]; }
  const TableEntry& front() const { return *first_; }
  const TableEntry& back() const { return more_.empty() ? *first_ : more_.back(); }

 private:
  std::optional<TableEntry> first_;
  std::vector<TableEntry> more_;
};

// The table model: rows of cells.
using Row = std::vector<Cell>;
using Table = std::vector<Row>;

}  // namespace programs::vardobf::output
