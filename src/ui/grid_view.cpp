#include "ui/grid_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include "ui/grid_model.h"

namespace kvo::ui {

GridView::GridView(const kvo::Grid& grid, const QString& objectName, QWidget* parent)
    : QTableView(parent), model_(new GridModel(grid, this)) {
  setObjectName(objectName);
  setModel(model_);
  // A selection highlight would hide the green and orange marks that tell what is loaded.
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(pixels(kvo::kRowHeight));
  horizontalHeader()->setHighlightSections(false);
  // The loaded-mark columns are 16 pixels wide, narrower than the style's default minimum.
  horizontalHeader()->setMinimumSectionSize(8);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
    emit cellClicked(model_->gridRow(index.row()), index.column());
  });
  connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    emit cellDoubleClicked(model_->gridRow(index.row()), index.column());
  });
  refresh();
}

void GridView::refresh() {
  const int scrolled = verticalScrollBar()->value();
  model_->refresh();
  applyRowHeights();
  applyColumnWidths();
  applyCurrentCell();
  verticalScrollBar()->setValue(scrolled);
  setVisible(model_->grid().visible);
}

void GridView::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || !currentIndex().isValid()) {
    QTableView::keyPressEvent(event);
    return;
  }
  emit enterPressed(model_->gridRow(currentIndex().row()), currentIndex().column());
}

void GridView::applyRowHeights() {
  const kvo::Grid& grid = model_->grid();
  for (int row = 0; row < model_->rowCount(); ++row) {
    setRowHidden(row, !grid.rowVisible(model_->gridRow(row)));
  }
}

void GridView::applyColumnWidths() {
  const kvo::Grid& grid = model_->grid();
  for (int col = 0; col < grid.cols(); ++col) {
    const int width = pixels(grid.colWidth(col));
    setColumnHidden(col, width == 0);
    if (width > 0) setColumnWidth(col, width);
  }
  horizontalHeader()->setStretchLastSection(false);
}

void GridView::applyCurrentCell() {
  const kvo::Grid& grid = model_->grid();
  const QModelIndex current = model_->index(model_->modelRow(grid.row), grid.col);
  if (current.isValid()) selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
}

}  // namespace kvo::ui
