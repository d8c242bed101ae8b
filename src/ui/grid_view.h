#pragma once

#include <QTableView>

#include "state/grid.h"

namespace kvo::ui {

class GridModel;

// A table view over one core grid. It reports clicks in grid coordinates (row 0 is the
// header) and mirrors the grid's hidden rows, shown columns and current cell on refresh().
// Sizes follow the font rather than the core's twips: the name columns share the width the
// view has and every narrow column is as wide as its widest text, so nothing is cut at any
// font or scale and a load never moves a column.
class GridView final : public QTableView {
  Q_OBJECT

 public:
  GridView(const kvo::Grid& grid, const QString& objectName, QWidget* parent = nullptr);

  // Re-reads the grid after a core operation.
  void refresh();
  GridModel& gridModel() { return *model_; }

 signals:
  void cellClicked(int row, int col);
  void cellDoubleClicked(int row, int col);
  void enterPressed(int row, int col);
  // The arrow, page and home keys moved the current cell; a click reports cellClicked only.
  void currentMovedByKey(int row, int col);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void fitToFont();
  void applyRowHeights();
  void applyColumnWidths();
  void applyCurrentCell();
  int fittedWidth(int col) const;
  int textMargin() const;
  QString cutText(const QPoint& viewportPos) const;
  GridModel* model_;
};

}  // namespace kvo::ui
