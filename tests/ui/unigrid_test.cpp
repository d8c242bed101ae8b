#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolTip>
#include <filesystem>

#include "demo_window.h"
#include "ui/clickable_label.h"

namespace fs = std::filesystem;
using kvo::test::DemoWindow;
using kvo::ui::GridView;

class UnigridTest final : public QObject {
  Q_OBJECT

 private slots:
  void rowsStayUnderThePointerWhileFoldersLoad();
  void enterKeepsTheFocusInTheGrid();
  void refreshShowsTheFilterItReallyApplies();
  void previewGoesWhenThePointerLeavesTheGrid();
  void unloadedFlightModelTakesItsFolderLabelAway();
  void aCutNameShowsWholeInItsTooltip();
};

namespace {

bool loaded(const QModelIndex& name) {
  return name.siblingAtColumn(2).data().toString() == QStringLiteral("S");
}

}  // namespace

// A player clicks down a long list without moving the mouse far: every click must land on the
// row that was under the pointer, and nothing around the grid may shift.
void UnigridTest::rowsStayUnderThePointerWhileFoldersLoad() {
  DemoWindow demo({.bulkModFolders = 300});
  QVERIFY(demo.ok());
  QVERIFY(demo.showTab(QStringLiteral("World Settings")));
  GridView& grid = demo.grid("Unigrid");
  QScrollBar& scroll = *grid.verticalScrollBar();
  scroll.setValue(scroll.maximum() / 2);
  const int scrolled = scroll.value();
  QVERIFY(scrolled > 0);
  const QSize windowSize = demo.window().size();
  auto* refresh = demo.find<kvo::ui::ClickableLabel>(QStringLiteral("Label33"));
  const QPoint refreshAt = refresh->mapTo(&demo.window(), QPoint());
  const int x = grid.columnViewportPosition(1) + 8;
  for (int step = 1; step <= 6; ++step) {
    const QPoint point(x, grid.viewport()->height() * step / 8);
    const QModelIndex pointed = grid.indexAt(point);
    const QString name = pointed.data().toString();
    QVERIFY(!loaded(pointed));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, point);
    const QModelIndex after = grid.indexAt(point);
    QCOMPARE(after.data().toString(), name);
    QVERIFY2(loaded(after), qPrintable(name));
    QCOMPARE(scroll.value(), scrolled);
    QCOMPARE(demo.window().size(), windowSize);
    QCOMPARE(refresh->mapTo(&demo.window(), QPoint()), refreshAt);
  }
  // The loaded mark stays clear of the scroll bar.
  QVERIFY(grid.columnViewportPosition(2) + grid.columnWidth(2) <= grid.viewport()->width());
}

void UnigridTest::enterKeepsTheFocusInTheGrid() {
  DemoWindow demo;
  QVERIFY(demo.ok());
  QVERIFY(demo.showTab(QStringLiteral("World Settings")));
  GridView& grid = demo.grid("Unigrid");
  const QModelIndex normandy = DemoWindow::cell(grid, 1, QStringLiteral("T-Normandy"));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(normandy).center());
  QVERIFY(fs::exists(demo.game() / "normandy.ter"));
  QCOMPARE(QApplication::focusWidget(), &grid);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(!fs::exists(demo.game() / "normandy.ter"));
  QCOMPARE(QApplication::focusWidget(), &grid);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(fs::exists(demo.game() / "normandy.ter"));
  // The arrow keys walk on from the row that was acted on.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(fs::exists(demo.game() / "burma.ter"));
  QVERIFY(!fs::exists(demo.game() / "normandy.ter"));
}

void UnigridTest::refreshShowsTheFilterItReallyApplies() {
  DemoWindow demo;
  QVERIFY(demo.ok());
  QVERIFY(demo.showTab(QStringLiteral("World Settings")));
  QVERIFY(demo.clickListItem("List3", QStringLiteral("Terrain Sets")));
  GridView& grid = demo.grid("Unigrid");
  QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(),
           QStringLiteral("Only one selection can be made!"));
  QCOMPARE(demo.find<QLabel>(QStringLiteral("Label6"))->text(), QStringLiteral("T"));

  QTest::mouseClick(demo.find<kvo::ui::ClickableLabel>(QStringLiteral("Label33")), Qt::LeftButton);
  QCOMPARE(demo.find<QListWidget>(QStringLiteral("List3"))->currentRow(), 0);
  QCOMPARE(demo.find<QLabel>(QStringLiteral("Label6"))->text(), QString());
  QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(),
           QStringLiteral("All folders are available"));
  // "Show ALL" as at start: every folder but the hidden careers.
  QVERIFY(!grid.isRowHidden(DemoWindow::cell(grid, 1, QStringLiteral("G-Water")).row()));
  QVERIFY(grid.isRowHidden(DemoWindow::cell(grid, 1, QStringLiteral("C-Career42")).row()));
}

void UnigridTest::previewGoesWhenThePointerLeavesTheGrid() {
  DemoWindow demo;
  QVERIFY(demo.ok());
  QVERIFY(demo.showTab(QStringLiteral("World Settings")));
  GridView& grid = demo.grid("Unigrid");
  auto* text9 = demo.find<QPlainTextEdit>(QStringLiteral("Text9"));
  auto* myLabel = demo.find<QLabel>(QStringLiteral("MyLabel"));
  const QModelIndex normandy = DemoWindow::cell(grid, 1, QStringLiteral("T-Normandy"));
  QTest::mouseMove(grid.viewport(), grid.visualRect(normandy).center());
  QTRY_VERIFY(myLabel->text().startsWith(QStringLiteral("Normandy 1944")));
  QVERIFY(text9->toPlainText().startsWith(QStringLiteral("Normandy 1944")));

  // Out over the preview itself, where no handler of its own takes the text away.
  QTest::mouseMove(text9, text9->rect().center());
  QTRY_COMPARE(myLabel->text(), QString());
  QCOMPARE(text9->toPlainText(), QString());
}

void UnigridTest::unloadedFlightModelTakesItsFolderLabelAway() {
  DemoWindow demo;
  QVERIFY(demo.ok());
  QVERIFY(demo.showTab(QStringLiteral("World Settings")));
  GridView& grid = demo.grid("Unigrid");
  const auto clickFlightModel = [&] {
    const QModelIndex folder = DemoWindow::cell(grid, 1, QStringLiteral("F-Alternative Planes"));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(folder).center());
  };
  clickFlightModel();
  QVERIFY(demo.showTab(QStringLiteral("Planes and Skins")));
  auto* label2 = demo.find<QLabel>(QStringLiteral("Label2"));
  QVERIFY(label2->isVisible());
  QVERIFY(label2->text().contains(QStringLiteral("F-Alternative Planes")));

  QVERIFY(demo.showTab(QStringLiteral("World Settings")));
  clickFlightModel();
  QVERIFY(demo.showTab(QStringLiteral("Planes and Skins")));
  QVERIFY(!label2->isVisible() || label2->text().isEmpty());
}

void UnigridTest::aCutNameShowsWholeInItsTooltip() {
  const QString longName = QStringLiteral(
      "T-Normandy 1944 from Cherbourg to Le Havre with the bocage, the "
      "beaches and every airfield of the Second Tactical Air Force");
  DemoWindow demo({}, [&](const fs::path& game) {
    fs::create_directories(game / "KVO128" / longName.toStdString());
  });
  QVERIFY(demo.ok());
  QVERIFY(demo.showTab(QStringLiteral("World Settings")));
  GridView& grid = demo.grid("Unigrid");
  const auto tipAt = [&](const QString& name) {
    const QModelIndex index = DemoWindow::cell(grid, 1, name);
    const QPoint at = grid.visualRect(index).center();
    QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(grid.viewport(), &help);
  };
  tipAt(longName);
  QTRY_VERIFY(QToolTip::isVisible());
  QCOMPARE(QToolTip::text(), longName);
  QToolTip::hideText();
  QTRY_VERIFY(!QToolTip::isVisible());
  // A name shown whole needs no tooltip.
  tipAt(QStringLiteral("T-Burma"));
  QCoreApplication::processEvents();
  QVERIFY(!QToolTip::isVisible());
}

int main(int argc, char** argv) {
  kvo::test::useOffscreenScreen(1366, 768);
  QApplication app(argc, argv);
  UnigridTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "unigrid_test.moc"
