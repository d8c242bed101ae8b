#pragma once

#include <QAbstractTableModel>
#include <map>
#include <string>

#include "state/grid.h"

namespace kvo::ui {

// Shows one core grid to a QTableView. The grid's fixed rows become the horizontal header,
// so model row r is grid row r + fixedRows. The model only reads the grid; after a core
// operation refresh() tells the view what changed in rows, columns and cells. It never resets:
// a reset would drop the player's pressed cell (and with it a double-click) and the current
// cell the keyboard walks from.
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

  // Reports the grid's new size and content to the views, and ends showing a change in hand.
  void refresh();
  // While a change runs: paints the rows whose column `nameCol` holds a name of `loading`
  // (true: being loaded, false: being unloaded) in the colour of that, until refresh().
  void showChanging(std::map<std::string, bool> loading, int nameCol);

  int headerRows() const;
  int gridRow(int modelRow) const { return modelRow + headerRows(); }
  int modelRow(int gridRow) const { return gridRow - headerRows(); }
  const kvo::Grid& grid() const { return grid_; }

 private:
  QVariant cellData(int gridRow, int col, int role) const;
  void resizeRows(int count);
  void resizeColumns(int count);
  const kvo::Grid& grid_;
  // The size the views were last told of; the grid itself may already differ while a core
  // operation runs and the window repaints.
  int rows_ = 0;
  int cols_ = 0;
  std::map<std::string, bool> changing_;
  int changingNameCol_ = 0;
};

// The colours of a row that a running change loads or unloads.
QColor changingColour(bool loading);

// The colour a cell shows for a core colour value; invalid for the grid's own background.
QVariant backgroundFor(kvo::Colour colour);

}  // namespace kvo::ui
