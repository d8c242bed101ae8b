#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "gamefiles/file_bytes.h"
#include "gamefiles/pnames.h"

namespace kvo {

// The plane-name grid `Grid`: one column, row r holding string r of pnames.str.
class PnameGrid final {
 public:
  int rows() const { return static_cast<int>(rows_.size()); }
  // The text of `row`; empty outside the grid.
  const std::string& text(int row) const;
  // Replaces the text of `row`; false (and nothing changed) outside the grid.
  bool setText(int row, std::string text);
  // Every row's text in order.
  const std::vector<std::string>& texts() const { return rows_; }
  // Replaces every row at once.
  void setTexts(std::vector<std::string> texts) { rows_ = std::move(texts); }

 private:
  std::vector<std::string> rows_;
};

// The plane-name window "Pnames.str editor": never shown, it holds pnames.str while the plane
// install replaces one name. The caller reads and commits the file; this only turns bytes
// into rows and rows into bytes.
class Pnameform final {
 public:
  PnameGrid Grid;

  // Empties Grid and fills it from the bytes of pnames.str; the error (Grid left empty) or "".
  std::string LoadPnames(std::string_view bytes, std::string_view fileName = kPnamesFileName);
  // The new bytes of pnames.str from every row of Grid; refused while Grid has fewer rows than
  // the game has plane slots, so a failed load is never written back as an empty table.
  FileBytes SavePnames(std::string_view fileName = kPnamesFileName) const;
};

}  // namespace kvo
