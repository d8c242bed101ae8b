#include "state/grid.h"

#include <algorithm>

namespace kvo {

namespace {
const std::string kEmpty;
}

Grid::Grid(int rowCount, int colCount) : cols_(colCount) {
  widths_.assign(static_cast<std::size_t>(colCount), 1000);
  setRows(rowCount);
}

void Grid::setRows(int rowCount) {
  rowCount = std::max(rowCount, 0);
  cells_.resize(static_cast<std::size_t>(rowCount));
  for (auto& r : cells_) r.cells.resize(static_cast<std::size_t>(cols_));
  row = std::clamp(row, 0, std::max(rowCount - 1, 0));
}

void Grid::setCols(int colCount) {
  cols_ = std::max(colCount, 0);
  widths_.resize(static_cast<std::size_t>(cols_), 1000);
  for (auto& r : cells_) r.cells.resize(static_cast<std::size_t>(cols_));
  col = std::clamp(col, 0, std::max(cols_ - 1, 0));
}

void Grid::clear() {
  for (auto& r : cells_) {
    for (auto& c : r.cells) c = Cell{};
  }
}

bool Grid::inRange(int r, int c) const {
  return r >= 0 && r < rows() && c >= 0 && c < cols_;
}

const std::string& Grid::text(int r, int c) const {
  if (!inRange(r, c)) return kEmpty;
  return cells_[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)].text;
}

void Grid::setText(int r, int c, std::string_view value) {
  if (!inRange(r, c)) return;
  cells_[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)].text = value;
}

Colour Grid::back(int r, int c) const {
  if (!inRange(r, c)) return 0;
  return cells_[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)].back;
}

void Grid::setBack(int r, int c, Colour colour) {
  if (!inRange(r, c)) return;
  cells_[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)].back = colour;
}

void Grid::addRow(std::string_view tabSeparated) {
  setRows(rows() + 1);
  const int r = rows() - 1;
  int c = 0;
  std::size_t start = 0;
  while (c < cols_) {
    const auto tab = tabSeparated.find('\t', start);
    setText(r, c, tabSeparated.substr(start, tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
    ++c;
  }
}

int Grid::rowHeight(int r) const {
  if (r < 0 || r >= rows()) return 0;
  return cells_[static_cast<std::size_t>(r)].height;
}

void Grid::setRowHeight(int r, int height) {
  if (r < 0 || r >= rows()) return;
  cells_[static_cast<std::size_t>(r)].height = std::max(height, 0);
}

int Grid::colWidth(int c) const {
  if (c < 0 || c >= cols_) return 0;
  return widths_[static_cast<std::size_t>(c)];
}

void Grid::setColWidth(int c, int twips) {
  if (c < 0 || c >= cols_) return;
  widths_[static_cast<std::size_t>(c)] = std::max(twips, 0);
}

int Grid::findRow(int c, std::string_view value, int from) const {
  for (int r = std::max(from, 0); r < rows(); ++r) {
    if (text(r, c) == value) return r;
  }
  return -1;
}

}  // namespace kvo
