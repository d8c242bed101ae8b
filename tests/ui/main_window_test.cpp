#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>

#include "demo_window.h"
#include "platform/listing.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"

namespace fs = std::filesystem;
using kvo::test::DemoWindow;
using kvo::ui::GridView;

// The window's frame, its buttons and the folder grid on the World Settings tab.
class MainWindowTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { demo_.reset(); }
  void controlsCarryTheirNamesAndTheWindowFitsASmallScreen();
  void clickLoadsEnterUnloadsAndTheKeysWalkOn();
  void categoryFilterHidesOtherCategoriesUntilRefresh();
  void operationsDoNotNest();
  void flightModelShowsItsPlanesAndTakesThemAwayAgain();
  void statusBarSaysWhatResetAllAndDelMsnDid();
  void previewGoesWhenThePointerLeavesTheGrid();
  void aCutNameShowsWholeInItsTooltip();
  void rowsStayUnderThePointerWhileFoldersLoad();

 private:
  DemoWindow& demo() { return *demo_; }
  GridView& unigrid() { return demo_->grid("Unigrid"); }
  QModelIndex folder(const QString& name) { return DemoWindow::cell(unigrid(), 1, name); }
  std::unique_ptr<DemoWindow> demo_;
};

void MainWindowTest::init() {
  demo_ = std::make_unique<DemoWindow>();
  QVERIFY(demo_->ok());
  QVERIFY(demo_->showTab(QStringLiteral("World Settings")));
}

// 1366 x 768 is the smallest screen the selector is walked on.
void MainWindowTest::controlsCarryTheirNamesAndTheWindowFitsASmallScreen() {
  QCOMPARE(demo().window().objectName(), QStringLiteral("KVOForm"));
  auto* tabs = demo().find<QTabWidget>(QStringLiteral("SSTab1"));
  const QStringList captions = {"General Settings", "Complete Sets", "World Settings",
                                "Autoscripts and Program launch", "Planes and Skins"};
  QCOMPARE(tabs->count(), captions.size());
  for (int i = 0; i < tabs->count(); ++i) QCOMPARE(tabs->tabText(i), captions[i]);
  const QList<QPair<QString, QString>> buttons = {{"Command1", "Reset All"},
                                                  {"delmsn", "Del MSN"},
                                                  {"Command3", "Exit"},
                                                  {"Command8", "Minimise"}};
  for (const auto& [name, caption] : buttons) {
    auto* button = demo().find<QPushButton>(name);
    QCOMPARE(button->text(), caption);
    QVERIFY2(!tabs->isAncestorOf(button), qPrintable(name));
  }
  for (const char* grid : {"Unigrid", "SK1", "G1"}) demo().grid(grid);
  QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
  QVERIFY(kvo::test::fitsOnScreen(demo().window()));
  QVERIFY(kvo::test::saveTabScreenshots(demo().window(), QString()));
}

void MainWindowTest::clickLoadsEnterUnloadsAndTheKeysWalkOn() {
  const fs::path normandy = demo().game() / "normandy.ter";
  QVERIFY(demo().clickCell("Unigrid", 1, QStringLiteral("T-Normandy")));
  QVERIFY(fs::exists(normandy));
  QCOMPARE(folder(QStringLiteral("T-Normandy")).data(Qt::BackgroundRole).value<QColor>(),
           QColor(0xC0, 0xFF, 0xC0));
  QCOMPARE(demo().status(), QStringLiteral("Loaded T-Normandy."));
  QCOMPARE(unigrid().currentIndex().row(), folder(QStringLiteral("T-Normandy")).row());
  // Enter acts on the current row and leaves the focus in the grid for the next key.
  for (const bool exists : {false, true}) {
    QCOMPARE(QApplication::focusWidget(), &unigrid());
    QTest::keyClick(&unigrid(), Qt::Key_Return);
    QCOMPARE(fs::exists(normandy), exists);
  }
  QVERIFY(!folder(QStringLiteral("T-Burma")).data(Qt::BackgroundRole).isValid());
  QTest::keyClick(&unigrid(), Qt::Key_Up);
  QTest::keyClick(&unigrid(), Qt::Key_Return);
  QVERIFY(fs::exists(demo().game() / "burma.ter"));
  QVERIFY(!fs::exists(normandy));
  QCOMPARE(demo().status(), QStringLiteral("Unloaded T-Normandy. Loaded T-Burma."));
}

void MainWindowTest::categoryFilterHidesOtherCategoriesUntilRefresh() {
  QVERIFY(demo().clickListItem("List3", QStringLiteral("Terrain Sets")));
  const QAbstractItemModel& model = unigrid().gridModel();
  int shown = 0;
  for (int row = 0; row < model.rowCount(); ++row) {
    const QString name = model.index(row, 1).data().toString();
    const bool terrain = name.startsWith("T-") || name.startsWith("T ");
    QCOMPARE(unigrid().isRowHidden(row), !terrain);
    shown += terrain ? 1 : 0;
  }
  QCOMPARE(shown, 3);
  QCOMPARE(model.headerData(1, Qt::Horizontal).toString(),
           QStringLiteral("Only one selection can be made!"));
  QCOMPARE(demo().find<QLabel>(QStringLiteral("Label6"))->text(), QStringLiteral("T"));

  demo().click("Label33");
  QCOMPARE(demo().find<QListWidget>(QStringLiteral("List3"))->currentRow(), 0);
  QCOMPARE(demo().find<QLabel>(QStringLiteral("Label6"))->text(), QString());
  QCOMPARE(model.headerData(1, Qt::Horizontal).toString(),
           QStringLiteral("All folders are available"));
  // "Show ALL" as at start: every folder but the hidden careers.
  QVERIFY(!unigrid().isRowHidden(folder(QStringLiteral("G-Water")).row()));
  QVERIFY(unigrid().isRowHidden(folder(QStringLiteral("C-Career42")).row()));
}

void MainWindowTest::operationsDoNotNest() {
  kvo::ui::CoreRunner& runner = demo().window().runner();
  bool nestedAccepted = true;
  QVERIFY(runner.run([&] { nestedAccepted = runner.run([] {}); }));
  QVERIFY(!nestedAccepted);
  QVERIFY(runner.run([] {}));
}

// Gives the plane record file in `planeFolder` another aircraft name (its first line).
void renamePlane(const fs::path& planeFolder, const std::string& name) {
  for (const auto& entry : fs::directory_iterator(planeFolder)) {
    if (entry.path().extension() != ".kvo") continue;
    std::string bytes = kvo::test::readBytes(entry.path());
    bytes.replace(0, bytes.find('\r'), name);
    kvo::test::writeBytes(entry.path(), bytes);
    return;
  }
  QFAIL("no plane record file");
}

void MainWindowTest::flightModelShowsItsPlanesAndTakesThemAwayAgain() {
  // Out of name order, so that sorting by name shows.
  renamePlane(demo().game() / "KVO128/F-Alternative Planes/P-Bf 109G-10", "Yak-3");
  QVERIFY(demo().clickCell("Unigrid", 1, QStringLiteral("F-Alternative Planes")));
  QVERIFY(demo().showTab(QStringLiteral("Planes and Skins")));
  QTRY_VERIFY(demo().find<QGroupBox>(QStringLiteral("Frame6"))->isVisible());
  auto* label2 = demo().find<QLabel>(QStringLiteral("Label2"));
  QVERIFY(label2->text().contains(QStringLiteral("F-Alternative Planes")));
  const QAbstractItemModel& planes = demo().grid("G1").gridModel();
  QCOMPARE(planes.rowCount(), 3);
  demo().click("Label20_3");
  QStringList aircraft;
  for (int row = 0; row < planes.rowCount(); ++row)
    aircraft << planes.index(row, 3).data().toString();
  QCOMPARE(aircraft, (QStringList{"Mustang Mk III", "Spitfire LF Mk IXe", "Yak-3"}));

  QVERIFY(demo().showTab(QStringLiteral("World Settings")));
  QVERIFY(demo().clickCell("Unigrid", 1, QStringLiteral("F-Alternative Planes")));
  QVERIFY(demo().showTab(QStringLiteral("Planes and Skins")));
  QVERIFY(!label2->isVisible() || label2->text().isEmpty());
}

void MainWindowTest::statusBarSaysWhatResetAllAndDelMsnDid() {
  QVERIFY(demo().clickCell("Unigrid", 1, QStringLiteral("T-Normandy")));
  QVERIFY(demo().clickCell("Unigrid", 1, QStringLiteral("G-Water")));
  const auto files = [&] { return static_cast<int>(kvo::listFiles(demo().game(), "*").size()); };
  const int before = files();
  demo().click("Command1");
  const int deleted = before - files();
  QVERIFY(deleted > 0);
  const QString status = demo().status();
  QVERIFY2(status.contains(QStringLiteral("T-Normandy, G-Water")), qPrintable(status));
  QVERIFY2(status.contains(QStringLiteral("deleted %1 files").arg(deleted)), qPrintable(status));
  QVERIFY2(status.contains(QStringLiteral("eaw.exe")), qPrintable(status));

  demo().click("delmsn");
  QVERIFY(fs::exists(demo().game() / "Savedata" / "Mission1.msn"));
  QCOMPARE(demo().status(),
           QStringLiteral("Del MSN deleted default7.MSN, DefaultA.msn from Savedata."));
  demo().click("delmsn");
  QCOMPARE(demo().status(), QStringLiteral("Del MSN found no default mission in Savedata."));
}

void MainWindowTest::previewGoesWhenThePointerLeavesTheGrid() {
  auto* text9 = demo().find<QPlainTextEdit>(QStringLiteral("Text9"));
  auto* myLabel = demo().find<QLabel>(QStringLiteral("MyLabel"));
  const QModelIndex normandy = folder(QStringLiteral("T-Normandy"));
  QTest::mouseMove(unigrid().viewport(), unigrid().visualRect(normandy).center());
  QTRY_VERIFY(myLabel->text().startsWith(QStringLiteral("Normandy 1944")));
  QVERIFY(text9->toPlainText().startsWith(QStringLiteral("Normandy 1944")));
  auto* conflicts = demo().find<QLabel>(QStringLiteral("ConflictLabel"));
  const QModelIndex speech = folder(QStringLiteral("X-German Speech"));
  QTest::mouseMove(unigrid().viewport(), unigrid().visualRect(speech).center());
  QTRY_COMPARE(conflicts->text(), QStringLiteral("Loading it overwrites 1 game file."));
  // Out over the preview itself, where no handler of its own takes the text away.
  QTest::mouseMove(text9, text9->rect().center());
  QTRY_COMPARE(myLabel->text(), QString());
  QCOMPARE(text9->toPlainText(), QString());
  QCOMPARE(conflicts->text(), QString());
}

void MainWindowTest::aCutNameShowsWholeInItsTooltip() {
  const QString longName = QStringLiteral(
      "T-Normandy 1944 from Cherbourg to Le Havre with the bocage, the "
      "beaches and every airfield of the Second Tactical Air Force");
  demo_ = std::make_unique<DemoWindow>([&](const fs::path& game) {
    fs::create_directories(game / "KVO128" / longName.toStdString());
  });
  QVERIFY(demo().ok());
  QVERIFY(demo().showTab(QStringLiteral("World Settings")));
  const auto tipAt = [&](const QString& name) {
    const QPoint at = unigrid().visualRect(folder(name)).center();
    QHelpEvent help(QEvent::ToolTip, at, unigrid().viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(unigrid().viewport(), &help);
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

// A player clicks down a long list without moving the mouse far: every click must land on the
// row that was under the pointer, and nothing around the grid may shift.
void MainWindowTest::rowsStayUnderThePointerWhileFoldersLoad() {
  demo_ = std::make_unique<DemoWindow>(kvo::demo::DemoOptions{.bulkModFolders = 300});
  QVERIFY(demo().ok());
  QVERIFY(demo().showTab(QStringLiteral("World Settings")));
  QScrollBar& scroll = *unigrid().verticalScrollBar();
  scroll.setValue(scroll.maximum() / 2);
  const int scrolled = scroll.value();
  QVERIFY(scrolled > 0);
  const QSize windowSize = demo().window().size();
  auto* refresh = demo().find<QWidget>(QStringLiteral("Label33"));
  const QPoint refreshAt = refresh->mapTo(&demo().window(), QPoint());
  const int x = unigrid().columnViewportPosition(1) + 8;
  for (int step = 1; step <= 6; ++step) {
    const QPoint point(x, unigrid().viewport()->height() * step / 8);
    const QString name = unigrid().indexAt(point).data().toString();
    QVERIFY(unigrid().indexAt(point).siblingAtColumn(2).data().toString().isEmpty());
    QTest::mouseClick(unigrid().viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(unigrid().indexAt(point).data().toString(), name);
    QCOMPARE(unigrid().indexAt(point).siblingAtColumn(2).data().toString(), QStringLiteral("S"));
    QCOMPARE(scroll.value(), scrolled);
    QCOMPARE(demo().window().size(), windowSize);
    QCOMPARE(refresh->mapTo(&demo().window(), QPoint()), refreshAt);
  }
  // The loaded mark stays clear of the scroll bar.
  QVERIFY(unigrid().columnViewportPosition(2) + unigrid().columnWidth(2) <=
          unigrid().viewport()->width());
}

KVO_WINDOW_TEST_MAIN(MainWindowTest, 1366, 768)
#include "main_window_test.moc"
