#include "ui/grid_view.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "ui/grid_model.h"

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
  setVisible(model_->grid().visible);
}

void GridView::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || !currentIndex().isValid()) {
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before) {
      emit currentMovedByKey(model_->gridRow(after.row()), after.column());
    }
    return;
  }
  emit enterPressed(model_->gridRow(currentIndex().row()), currentIndex().column());
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
  const kvo::Grid& grid = model_->grid();
  for (int row = 0; row < model_->rowCount(); ++row) {
    setRowHidden(row, !grid.rowVisible(model_->gridRow(row)));
  }
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
