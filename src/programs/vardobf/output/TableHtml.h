#pragma once

#include <optional>
#include <string>

#include "programs/vardobf/output/TableEntry.h"

namespace programs::vardobf::output {

// Renders the table model as markup.
//
// Entry types: 1 column heading / value ("class=w"), 2 column heading
// ("class=r nowrap"), 3 row heading ("class=y"), 4 and 5 links to a human's
// and a bot's page (the target gets ".html"), 13 a link used whole, 6 and 10
// text written downwards, 7 and 8 downward links to a human's and a bot's
// page (8 drops the last four characters), 9, 11, 12, 14 further value
// styles, 20 to 23 the team colours. Only the link and downward types escape
// their text; every other type writes `val` as it is, so callers pass text
// that is already markup-safe (see htmlText()).
class TableHtml {
 public:
  // Appends the table to `w`. `title` heads it in a row of its own;
  // `tableWidth` (for example "100%") sets its width.
  static void createTable(std::string& w, const Table& v, const std::optional<std::string>& title,
                          const std::optional<std::string>& tableWidth);
  // Table text: markup characters become entities and a blank "&nbsp;";
  // none or empty gives "&nbsp;".
  static std::string cleanString(const std::optional<std::string>& s);
  // Text from a log for places that write their text unchanged: the four
  // markup characters become entities, everything else stays.
  static std::string htmlText(const std::string& s);

  // The class attribute of an entry's cell, and the text an entry writes.
  static const char* cellClass(const TableEntry& e);
  static std::string entryText(const TableEntry& e);
  // Appends the text of `e` to `w`.
  static void appendText(std::string& w, const TableEntry& e);
};

}  // namespace programs::vardobf::output
