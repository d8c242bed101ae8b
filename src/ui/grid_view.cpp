#include "ui/grid_view.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <cmath>

#include "ui/focus_mark.h"
#include "ui/grid_model.h"
#include "ui/keyboard.h"

namespace kvo::ui {

namespace {

// Columns the core makes this wide or wider hold names; the narrower ones hold a mark or a code.
constexpr int kNameColumnTwips = 1000;

}  // namespace

GridView::GridView(const kvo::Grid& grid, const QString& objectName, QWidget* parent)
    : QTableView(parent), model_(new GridModel(grid, this)) {
  setObjectName(objectName);
  setModel(model_);
  // A selection highlight would hide the green and orange marks that tell what is loaded.
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the grid for the next control; the arrows walk the rows.
  setTabKeyNavigation(false);
  setWordWrap(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(8);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
    emit cellClicked(model_->gridRow(index.row()), index.column());
  });
  connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    emit cellDoubleClicked(model_->gridRow(index.row()), index.column());
  });
  fitToFont();
  refresh();
}

void GridView::refresh() {
  model_->refresh();
  applyRowHeights();
  applyColumnWidths();
  applyCurrentCell();
  keepCurrentShown();
  setVisible(model_->grid().visible);
}

void GridView::setNameFilter(const QString& text, int col) {
  if (text == nameFilter_ && col == nameFilterCol_) return;
  nameFilter_ = text;
  nameFilterCol_ = col;
  applyRowHeights();
  if (text.isEmpty()) {
    keepCurrentShown();
    return;
  }
  // The best match is the first row left, where Enter in the filter box leads.
  for (int row = 0; row < model_->rowCount(); ++row) {
    if (!rowShown(row)) continue;
    const int current = currentIndex().isValid() ? currentIndex().column() : col;
    setCurrentIndex(model_->index(row, current));
    return;
  }
}

// Enter or Space must never act on a row the player cannot see.
void GridView::keepCurrentShown() {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || rowShown(current.row())) return;
  const int rows = model_->rowCount();
  int target = -1;
  for (int row = current.row() + 1; row < rows && target < 0; ++row) {
    if (rowShown(row)) target = row;
  }
  for (int row = current.row() - 1; row >= 0 && target < 0; --row) {
    if (rowShown(row)) target = row;
  }
  if (target >= 0) {
    selectionModel()->setCurrentIndex(current.siblingAtRow(target), QItemSelectionModel::NoUpdate);
  }
}

void GridView::keyPressEvent(QKeyEvent* event) {
  const QModelIndex current = currentIndex();
  // A filter that leaves no row shown leaves the current one hidden: the keys pass it by.
  if (current.isValid() && !rowShown(current.row())) {
    QTableView::keyPressEvent(event);
    return;
  }
  if (current.isValid() && isPressKey(*event)) {
    const int row = model_->gridRow(current.row());
    if (event->key() == Qt::Key_Space) {
      emit cellClicked(row, current.column());
    } else {
      emit enterPressed(row, current.column());
    }
    return;
  }
  if (current.isValid() && event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    const QPoint at = visualRect(current).center();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
    contextMenuEvent(&menu);
    return;
  }
  const QModelIndex before = current;
  QTableView::keyPressEvent(event);
  const QModelIndex after = currentIndex();
  if (after.isValid() && after != before) {
    emit currentMovedByKey(model_->gridRow(after.row()), after.column());
  }
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
  const bool byMouse = event->reason() == QContextMenuEvent::Mouse;
  const QModelIndex index = byMouse ? indexAt(event->pos()) : currentIndex();
  if (!index.isValid() || isRowHidden(index.row())) {
    event->ignore();
    return;
  }
  // The menu opens beside the row it is about, wherever the keyboard asked for it.
  const QPoint at =
      byMouse ? event->globalPos() : viewport()->mapToGlobal(visualRect(index).bottomLeft());
  emit rowMenuRequested(model_->gridRow(index.row()), at);
}

void GridView::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  if (!hasFocus()) return;
  const QRect row = currentRowRect();
  if (row.isEmpty()) return;
  QPainter painter(viewport());
  drawFocusMark(painter, row, palette());
}

void GridView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  if (event->reason() != Qt::TabFocusReason && event->reason() != Qt::BacktabFocusReason) return;
  keepCurrentShown();
  // Tab lands on a row: it is previewed as if the arrows had just reached it.
  const QModelIndex current = currentIndex();
  if (current.isValid()) emit currentMovedByKey(model_->gridRow(current.row()), current.column());
}

void GridView::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  viewport()->update();
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  // The frame spans the whole row, beyond the cells the view repaints by itself.
  viewport()->update();
}

QRect GridView::currentRowRect() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || isRowHidden(current.row())) return {};
  int left = INT_MAX;
  int right = INT_MIN;
  for (int col = 0; col < model_->columnCount(); ++col) {
    if (isColumnHidden(col)) continue;
    left = std::min(left, columnViewportPosition(col));
    right = std::max(right, columnViewportPosition(col) + columnWidth(col));
  }
  if (left >= right) return {};
  return {left, rowViewportPosition(current.row()), right - left, rowHeight(current.row())};
}

bool GridView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QString whole = cutText(help->pos());
  if (whole.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), whole, viewport(), visualRect(indexAt(help->pos())));
  }
  return true;
}

void GridView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fitToFont();
}

void GridView::fitToFont() {
  const int twipsHigh = kvo::kRowHeight / 15;
  const int vMargin = style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, this);
  verticalHeader()->setDefaultSectionSize(
      std::max(twipsHigh, fontMetrics().height() + 2 * vMargin));
  applyColumnWidths();
}

void GridView::applyRowHeights() {
  for (int row = 0; row < model_->rowCount(); ++row) setRowHidden(row, !rowShown(row));
}

bool GridView::rowShown(int modelRow) const {
  if (!model_->grid().rowVisible(model_->gridRow(modelRow))) return false;
  if (nameFilter_.isEmpty()) return true;
  const QString name = model_->index(modelRow, nameFilterCol_).data().toString();
  return name.contains(nameFilter_, Qt::CaseInsensitive);
}

void GridView::applyColumnWidths() {
  const kvo::Grid& grid = model_->grid();
  QHeaderView& header = *horizontalHeader();
  for (int col = 0; col < model_->columnCount(); ++col) {
    const int twips = grid.colWidth(col);
    setColumnHidden(col, twips == 0);
    if (twips == 0) continue;
    if (twips >= kNameColumnTwips) {
      header.setSectionResizeMode(col, QHeaderView::Stretch);
      continue;
    }
    header.setSectionResizeMode(col, QHeaderView::Fixed);
    header.resizeSection(col, fittedWidth(col));
  }
}

// Hidden rows count as well, so that a filter never changes the width.
int GridView::fittedWidth(int col) const {
  // Text is laid out in fractions of a pixel; a width rounded down would cut the last letter.
  const QFontMetricsF metrics(font());
  // An empty mark column keeps the room of its mark, so that the first load does not move it.
  qreal widest = metrics.horizontalAdvance(QLatin1Char('W'));
  for (int row = 0; row < model_->rowCount(); ++row) {
    widest = std::max(widest, metrics.horizontalAdvance(model_->index(row, col).data().toString()));
  }
  const int gridLine = showGrid() ? 1 : 0;
  const int fitted = static_cast<int>(std::ceil(widest)) + 2 * textMargin() + gridLine + 1;
  return std::max(fitted, horizontalHeader()->sectionSizeHint(col));
}

int GridView::textMargin() const {
  return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

QString GridView::cutText(const QPoint& viewportPos) const {
  const QModelIndex index = indexAt(viewportPos);
  const QString text = index.data().toString();
  const int room = visualRect(index).width() - 2 * textMargin();
  return QFontMetricsF(font()).horizontalAdvance(text) > room ? text : QString();
}

void GridView::applyCurrentCell() {
  const kvo::Grid& grid = model_->grid();
  const QModelIndex current = model_->index(model_->modelRow(grid.row), grid.col);
  if (!current.isValid() || current == currentIndex()) return;
  // The core moves the current cell when it replays a selection; the grid must not scroll
  // away from the rows the player is looking at.
  const bool scrolls = hasAutoScroll();
  setAutoScroll(false);
  selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  setAutoScroll(scrolls);
}

}  // namespace kvo::ui
