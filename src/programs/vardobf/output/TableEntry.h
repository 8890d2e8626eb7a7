#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace programs::vardobf::output {

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

// The table model: rows of cells, a cell one or more entries.
using Cell = std::vector<TableEntry>;
using Row = std::vector<Cell>;
using Table = std::vector<Row>;

}  // namespace programs::vardobf::output
