#pragma once

#include <QTableView>

#include "state/grid.h"

namespace kvo::ui {

class GridModel;

// A table view over one core grid. It reports clicks in grid coordinates (row 0 is the
// header) and mirrors the grid's hidden rows, column widths and current cell on refresh().
class GridView final : public QTableView {
  Q_OBJECT

 public:
  GridView(const kvo::Grid& grid, const QString& objectName, QWidget* parent = nullptr);

  // Re-reads the grid after a core operation.
  void refresh();
  GridModel& gridModel() { return *model_; }
  // Pixel width of a column the core sized in twips.
  static int pixels(int twips) { return twips / 15; }

 signals:
  void cellClicked(int row, int col);
  void cellDoubleClicked(int row, int col);
  void enterPressed(int row, int col);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void applyRowHeights();
  void applyColumnWidths();
  void applyCurrentCell();
  GridModel* model_;
};

}  // namespace kvo::ui
