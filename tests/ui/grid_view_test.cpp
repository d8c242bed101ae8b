#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "state/grid.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"

using kvo::ui::GridView;

class GridViewTest final : public QObject {
  Q_OBJECT

 private slots:
  void headerRowBecomesTheHorizontalHeader();
  void coloursFollowTheCoreValues();
  void hiddenRowsAndWidthsFollowTheGrid();
  void narrowColumnsFitTheirTextAtAnyFontAndNeverMove();
  void refreshShowsRowsAddedByTheCore();
  void clicksAndEnterReportGridRows();
};

namespace {

// A folder grid as the core builds it: path, name, loaded mark, with a header row.
kvo::Grid folderGrid() {
  kvo::Grid grid(1, 3);
  grid.setText(0, 1, "All folders are available");
  grid.addRow("C:\\EAW\\KVO128\\T-Normandy\tT-Normandy");
  grid.addRow("C:\\EAW\\KVO128\\T-Burma\tT-Burma\tS");
  grid.addRow("C:\\EAW\\KVO128\\G-Water\tG-Water");
  grid.setColWidth(0, 0);
  grid.setColWidth(1, 5000);
  grid.setColWidth(2, 240);
  return grid;
}

QList<QVariantList> calls(const QSignalSpy& spy) {
  return spy;
}

// Shows `view` at a size where the name column has room to spare.
bool shown(GridView& view) {
  view.resize(400, 200);
  view.show();
  return QTest::qWaitForWindowExposed(&view);
}

}  // namespace

void GridViewTest::headerRowBecomesTheHorizontalHeader() {
  kvo::Grid grid = folderGrid();
  kvo::ui::GridModel model(grid);
  QCOMPARE(model.rowCount(), 3);
  QCOMPARE(model.columnCount(), 3);
  QCOMPARE(model.headerData(1, Qt::Horizontal).toString(),
           QStringLiteral("All folders are available"));
  QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("T-Normandy"));
  QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("S"));
  QVERIFY(!model.headerData(1, Qt::Horizontal, Qt::FontRole).isValid());
  grid.headerBold = true;
  QVERIFY(model.headerData(1, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());

  // Without a fixed row every grid row is data, including row 0.
  grid.fixedRows = 0;
  model.refresh();
  QCOMPARE(model.rowCount(), 4);
  QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("T-Normandy"));

  // An emptied grid keeps its header and shows no data row.
  kvo::Grid empty(1, 5);
  QCOMPARE(kvo::ui::GridModel(empty).rowCount(), 0);
}

void GridViewTest::coloursFollowTheCoreValues() {
  kvo::Grid grid = folderGrid();
  grid.setBack(2, 1, kvo::kLoadedGreen);
  grid.setBack(1, 1, kvo::kLoadedSkin);
  grid.setBack(3, 1, kvo::kWindowBackground);
  kvo::ui::GridModel model(grid);
  // 0x00BBGGRR: the low byte is red.
  QCOMPARE(model.index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xC0, 0xFF, 0xC0));
  QCOMPARE(model.index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xFF, 0xE0, 0xC0));
  QCOMPARE(kvo::ui::backgroundFor(0x0000FF).value<QColor>(), QColor(0xFF, 0, 0));
  // The grid's own background and system colours are left to the view's palette.
  QVERIFY(!model.index(2, 1).data(Qt::BackgroundRole).isValid());
  QVERIFY(!model.index(0, 0).data(Qt::BackgroundRole).isValid());
}

void GridViewTest::hiddenRowsAndWidthsFollowTheGrid() {
  kvo::Grid grid = folderGrid();
  grid.setRowHeight(2, 0);
  GridView view(grid, QStringLiteral("Unigrid"));
  QVERIFY(shown(view));
  QVERIFY(!view.isRowHidden(0));
  QVERIFY(view.isRowHidden(1));
  QVERIFY(view.isColumnHidden(0));
  // The name takes the room the mark leaves; nothing runs off to the right.
  QCOMPARE(view.columnWidth(1) + view.columnWidth(2), view.viewport()->width());
  QVERIFY(view.columnWidth(2) < view.columnWidth(1) / 4);

  // A filter that shows the row again, and a column the core hides later.
  grid.setRowHeight(2, kvo::kRowHeight);
  grid.setColWidth(2, 0);
  view.refresh();
  QVERIFY(!view.isRowHidden(1));
  QVERIFY(view.isColumnHidden(2));
}

void GridViewTest::narrowColumnsFitTheirTextAtAnyFontAndNeverMove() {
  kvo::Grid grid = folderGrid();
  grid.setText(1, 2, "");
  grid.setText(2, 2, "");
  GridView view(grid, QStringLiteral("SK1"));
  QVERIFY(shown(view));
  const int markWidth = view.columnWidth(2);
  // The first load, and a filter that hides the marked row, leave the width alone.
  grid.setText(2, 2, "S");
  view.refresh();
  QCOMPARE(view.columnWidth(2), markWidth);
  grid.setRowHeight(2, 0);
  view.refresh();
  QCOMPARE(view.columnWidth(2), markWidth);

  // A code wider than a mark widens its column, and a font three times the size widens
  // the column and the rows with it.
  grid.setText(1, 2, "109G");
  view.refresh();
  QVERIFY(view.columnWidth(2) > markWidth);
  const int codeWidth = view.columnWidth(2);
  const int rowHeight = view.rowHeight(0);
  QFont big = view.font();
  big.setPointSizeF(big.pointSizeF() * 3);
  view.setFont(big);
  QVERIFY(view.columnWidth(2) > 2 * codeWidth);
  QVERIFY(view.rowHeight(0) >= QFontMetrics(big).height());
  QVERIFY(view.rowHeight(0) > rowHeight);
}

// Changes are reported, never by a reset: a reset would forget the pressed cell that a
// double-click needs and the current cell that the keyboard walks from.
void GridViewTest::refreshShowsRowsAddedByTheCore() {
  kvo::Grid grid = folderGrid();
  GridView view(grid, QStringLiteral("SK1"));
  QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
  QSignalSpy inserted(view.model(), &QAbstractItemModel::rowsInserted);
  const QPersistentModelIndex burma = view.model()->index(1, 1);
  grid.addRow("C:\\EAW\\KVO128\\H-Blue Sky\tH-Blue Sky");
  grid.row = 4;
  grid.col = 1;
  view.refresh();
  QCOMPARE(resets.count(), 0);
  QCOMPARE(inserted.count(), 1);
  QVERIFY(burma.isValid());
  QCOMPARE(burma.data().toString(), QStringLiteral("T-Burma"));
  QCOMPARE(view.model()->rowCount(), 4);
  QCOMPARE(view.model()->index(3, 1).data().toString(), QStringLiteral("H-Blue Sky"));
  QCOMPARE(view.currentIndex(), view.model()->index(3, 1));
  grid.setRows(1);
  view.refresh();
  QCOMPARE(view.model()->rowCount(), 0);
}

void GridViewTest::clicksAndEnterReportGridRows() {
  kvo::Grid grid = folderGrid();
  GridView view(grid, QStringLiteral("Unigrid"));
  QVERIFY(shown(view));
  QSignalSpy clicks(&view, &GridView::cellClicked);
  QSignalSpy enters(&view, &GridView::enterPressed);
  QSignalSpy moves(&view, &GridView::currentMovedByKey);
  const QModelIndex burma = view.model()->index(1, 1);
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(burma).center());
  // Model row 1 is grid row 2: the header row is not a model row.
  QCOMPARE(calls(clicks), (QList<QVariantList>{{2, 1}}));
  QCOMPARE(view.currentIndex(), burma);
  QCOMPARE(moves.count(), 0);
  QTest::keyClick(&view, Qt::Key_Return);
  QCOMPARE(calls(enters), (QList<QVariantList>{{2, 1}}));
  // Other keys move the current cell instead of acting on it, and say where to.
  QTest::keyClick(&view, Qt::Key_Down);
  QCOMPARE(view.currentIndex().row(), 2);
  QCOMPARE(calls(moves), (QList<QVariantList>{{3, 1}}));
  QTest::keyClick(&view, Qt::Key_Down);
  QCOMPARE(moves.count(), 1);
  // A current cell the core sets is no move of the player's.
  grid.row = 1;
  view.refresh();
  QCOMPARE(view.currentIndex().row(), 0);
  QCOMPARE(moves.count(), 1);
  QCOMPARE(enters.count(), 1);
}

QTEST_MAIN(GridViewTest)
#include "grid_view_test.moc"
