#include "ui/grid_model.h"

#include <QColor>
#include <QFont>
#include <algorithm>

#include "ui/view_sync.h"

namespace kvo::ui {

GridModel::GridModel(const kvo::Grid& grid, QObject* parent)
    : QAbstractTableModel(parent),
      grid_(grid),
      rows_(grid.rows() - headerRows()),
      cols_(grid.cols()) {}

int GridModel::headerRows() const {
  // A grid that is all header (the state right after it is emptied) must not lose its only row.
  return std::clamp(grid_.fixedRows, 0, std::max(grid_.rows(), 0));
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : cols_;
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
  changing_.clear();
  resizeRows(grid_.rows() - headerRows());
  resizeColumns(grid_.cols());
  if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
  if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

void GridModel::showChanging(std::map<std::string, bool> loading, int nameCol) {
  changing_ = std::move(loading);
  changingNameCol_ = nameCol;
  if (rows_ > 0 && cols_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::BackgroundRole});
  }
}

void GridModel::resizeRows(int count) {
  if (count > rows_) {
    beginInsertRows({}, rows_, count - 1);
    rows_ = count;
    endInsertRows();
  } else if (count < rows_) {
    beginRemoveRows({}, count, rows_ - 1);
    rows_ = count;
    endRemoveRows();
  }
}

void GridModel::resizeColumns(int count) {
  if (count > cols_) {
    beginInsertColumns({}, cols_, count - 1);
    cols_ = count;
    endInsertColumns();
  } else if (count < cols_) {
    beginRemoveColumns({}, count, cols_ - 1);
    cols_ = count;
    endRemoveColumns();
  }
}

QVariant GridModel::cellData(int gridRow, int col, int role) const {
  switch (role) {
    case Qt::DisplayRole:
      return toQString(grid_.text(gridRow, col));
    case Qt::BackgroundRole:
      if (!changing_.empty()) {
        const auto found = changing_.find(grid_.text(gridRow, changingNameCol_));
        if (found != changing_.end()) return changingColour(found->second);
      }
      return backgroundFor(grid_.back(gridRow, col));
    default:
      return {};
  }
}

// Neither the loaded green nor the skin's orange: the player sees which row goes and which
// comes while the files move.
QColor changingColour(bool loading) {
  return loading ? QColor(255, 236, 140) : QColor(208, 208, 208);
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
