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
// By keyboard the grid is one stop of Tab: the arrows move the current row, which carries a
// clear frame while the grid has the focus, and Enter or Space act on it.
class GridView final : public QTableView {
  Q_OBJECT

 public:
  GridView(const kvo::Grid& grid, const QString& objectName, QWidget* parent = nullptr);

  // Re-reads the grid after a core operation.
  void refresh();
  GridModel& gridModel() { return *model_; }
  // Shows only the rows whose column `col` contains `text` (any case), on top of the rows the
  // grid itself hides; an empty text shows them all again.
  void setNameFilter(const QString& text, int col);
  // Makes the first row shown current when the current one is hidden or there is none.
  void keepCurrentShown();

 signals:
  // A click, or Space on the current row.
  void cellClicked(int row, int col);
  void cellDoubleClicked(int row, int col);
  void enterPressed(int row, int col);
  // The arrow, page and home keys moved the current cell, or Tab brought the focus to it; a
  // click reports cellClicked only.
  void currentMovedByKey(int row, int col);
  // The context menu asked for a row, by the right button or by the keyboard's menu key.
  void rowMenuRequested(int row, const QPoint& globalPos);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void fitToFont();
  void applyRowHeights();
  void applyColumnWidths();
  void applyCurrentCell();
  bool rowShown(int modelRow) const;
  int fittedWidth(int col) const;
  int textMargin() const;
  QString cutText(const QPoint& viewportPos) const;
  QRect currentRowRect() const;
  GridModel* model_;
  QString nameFilter_;
  int nameFilterCol_ = 0;
};

}  // namespace kvo::ui
