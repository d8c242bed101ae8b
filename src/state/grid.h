#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvo {

// Colours are 0x00BBGGRR as the game's tools stored them; 0 means the grid's own background.
using Colour = std::uint32_t;
inline constexpr Colour kLoadedGreen = 0xC0FFC0;
inline constexpr Colour kLoadedSkin = 0xC0E0FF;
inline constexpr Colour kWindowBackground = 0x80000005;
inline constexpr int kRowHeight = 240;  // twips

// A grid of text cells with back colours, the way the window shows it: row 0 is the header,
// rows can be hidden (height 0), and one cell is current.
class Grid final {
 public:
  Grid(int rowCount, int colCount);

  int rows() const { return static_cast<int>(cells_.size()); }
  int cols() const { return cols_; }
  // Grows or shrinks the grid; new cells are empty and new rows visible.
  void setRows(int rowCount);
  void setCols(int colCount);
  // Empties every cell (text and colour), keeping the size.
  void clear();

  const std::string& text(int r, int c) const;
  void setText(int r, int c, std::string_view value);
  Colour back(int r, int c) const;
  void setBack(int r, int c, Colour colour);

  // Appends a row from cell texts separated by tabs, starting at column 0.
  void addRow(std::string_view tabSeparated);

  int rowHeight(int r) const;
  void setRowHeight(int r, int height);
  bool rowVisible(int r) const { return rowHeight(r) > 0; }

  int colWidth(int c) const;
  void setColWidth(int c, int twips);

  int row = 0;  // current cell
  int col = 0;
  int fixedRows = 1;
  bool visible = true;
  bool headerBold = false;
  int heightTwips = 0;  // shown height of the whole grid

  // Row index of the first row >= `from` whose column `col` equals `text`, or -1.
  int findRow(int c, std::string_view value, int from = 1) const;

 private:
  struct Cell {
    std::string text;
    Colour back = 0;
  };
  struct Row {
    std::vector<Cell> cells;
    int height = kRowHeight;
  };
  bool inRange(int r, int c) const;
  std::vector<Row> cells_;
  std::vector<int> widths_;
  int cols_;
};

}  // namespace kvo
