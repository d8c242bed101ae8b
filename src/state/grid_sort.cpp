#include "state/grid_sort.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/listing.h"

namespace kvo {

namespace {

// The whole cell as a number, "+1.5e3" and " 12 " included; nullopt for any other text.
std::optional<double> cellNumber(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == text.npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (text.starts_with('+')) text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  // A plane called "NaN" or "Inf" is a name; a NaN key would also break the sort's ordering.
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

struct SortRow {
  std::vector<std::string> texts;
  std::vector<Colour> backs;
  int height = 0;
  std::optional<double> number;
};

bool sortsBefore(const SortRow& a, const SortRow& b, int col) {
  if (a.number && b.number) return *a.number < *b.number;
  if (a.number || b.number) return a.number.has_value();
  return lessNoCase(a.texts[static_cast<std::size_t>(col)], b.texts[static_cast<std::size_t>(col)]);
}

SortRow takeRow(const Grid& grid, int r, int col) {
  SortRow row;
  for (int c = 0; c < grid.cols(); ++c) {
    row.texts.push_back(grid.text(r, c));
    row.backs.push_back(grid.back(r, c));
  }
  row.height = grid.rowHeight(r);
  row.number = cellNumber(grid.text(r, col));
  return row;
}

void putRow(Grid& grid, int r, const SortRow& row) {
  for (int c = 0; c < grid.cols(); ++c) {
    grid.setText(r, c, row.texts[static_cast<std::size_t>(c)]);
    grid.setBack(r, c, row.backs[static_cast<std::size_t>(c)]);
  }
  grid.setRowHeight(r, row.height);
}

}  // namespace

void sortRowsAscending(Grid& grid, int col) {
  if (col < 0 || col >= grid.cols()) return;
  const int first = std::max(grid.fixedRows, 0);
  std::vector<SortRow> rows;
  for (int r = first; r < grid.rows(); ++r) rows.push_back(takeRow(grid, r, col));
  std::stable_sort(rows.begin(), rows.end(),
                   [col](const SortRow& a, const SortRow& b) { return sortsBefore(a, b, col); });
  for (std::size_t i = 0; i < rows.size(); ++i) putRow(grid, first + static_cast<int>(i), rows[i]);
}

}  // namespace kvo
