#include "gamefiles/pnameform.h"

#include <utility>

namespace kvo {

const std::string& PnameGrid::text(int row) const {
  static const std::string kNone;
  return row >= 0 && row < rows() ? rows_[static_cast<std::size_t>(row)] : kNone;
}

bool PnameGrid::setText(int row, std::string text) {
  if (row < 0 || row >= rows()) return false;
  rows_[static_cast<std::size_t>(row)] = std::move(text);
  return true;
}

std::string Pnameform::LoadPnames(std::string_view bytes, std::string_view fileName) {
  Grid.setTexts({});
  auto read = readPnames(bytes, fileName);
  if (!read.ok()) return read.error;
  Grid.setTexts(std::move(read.names));
  return {};
}

FileBytes Pnameform::SavePnames(std::string_view fileName) const {
  FileBytes out;
  if (Grid.texts().size() < kPnamesMinimumNames) {
    out.error = std::string(fileName) + " would hold " + std::to_string(Grid.rows()) +
                " names; the game needs one for each of its 30 plane slots.";
    return out;
  }
  out.bytes = writePnames(Grid.texts());
  return out;
}

}  // namespace kvo
