#include "ui/grid_model.h"

#include <QColor>
#include <QFont>
#include <algorithm>

#include "ui/view_sync.h"

namespace kvo::ui {

GridModel::GridModel(const kvo::Grid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {}

int GridModel::headerRows() const {
  // A grid that is all header (the state right after it is emptied) must not lose its only row.
  return std::clamp(grid_.fixedRows, 0, std::max(grid_.rows(), 0));
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.rows() - headerRows();
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  return cellData(gridRow(index.row()), index.column(), role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) return {};
  if (headerRows() == 0) return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
  if (role == Qt::FontRole && grid_.headerBold) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  return cellData(0, section, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  // Cells are never edited in place; a click is a load or unload, not an edit.
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::refresh() {
  beginResetModel();
  endResetModel();
}

QVariant GridModel::cellData(int gridRow, int col, int role) const {
  switch (role) {
    case Qt::DisplayRole:
      return toQString(grid_.text(gridRow, col));
    case Qt::BackgroundRole:
      return backgroundFor(grid_.back(gridRow, col));
    default:
      return {};
  }
}

QVariant backgroundFor(kvo::Colour colour) {
  // The high bit marks a system colour index (0x80000005 is the window background), which the
  // view's palette already paints.
  if (colour == 0 || (colour & 0x80000000u) != 0) return {};
  const int red = static_cast<int>(colour & 0xFFu);
  const int green = static_cast<int>((colour >> 8) & 0xFFu);
  const int blue = static_cast<int>((colour >> 16) & 0xFFu);
  return QColor(red, green, blue);
}

}  // namespace kvo::ui
