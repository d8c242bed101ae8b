#pragma once

#include <QAbstractTableModel>

#include "state/grid.h"

namespace kvo::ui {

// Shows one core grid to a QTableView. The grid's fixed rows become the horizontal header,
// so model row r is grid row r + fixedRows. The model only reads the grid; after a core
// operation refresh() tells the view that everything may have changed.
class GridModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GridModel(const kvo::Grid& grid, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Re-reads the whole grid.
  void refresh();

  int headerRows() const;
  int gridRow(int modelRow) const { return modelRow + headerRows(); }
  int modelRow(int gridRow) const { return gridRow - headerRows(); }
  const kvo::Grid& grid() const { return grid_; }

 private:
  QVariant cellData(int gridRow, int col, int role) const;
  const kvo::Grid& grid_;
};

// The colour a cell shows for a core colour value; invalid for the grid's own background.
QVariant backgroundFor(kvo::Colour colour);

}  // namespace kvo::ui
