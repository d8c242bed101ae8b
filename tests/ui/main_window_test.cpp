#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/selector.h"
#include "demo_game.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"

namespace fs = std::filesystem;
using kvo::ui::GridView;

class MainWindowTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void tabsAndButtonsCarryTheirNamesAndCaptions();
  void unigridListsTheModFoldersOfTheGameFolder();
  void clickLoadsAndEnterUnloadsAFolder();
  void categoryFilterHidesOtherCategories();
  void gridsRefuseClicksWhileAnOperationRuns();
  void flightModelWithPlanesShowsTheAlternativePlanes();
  void everyTabRendersToAScreenshot();

 private:
  GridView& unigrid() { return *window_->findChild<GridView*>(QStringLiteral("Unigrid")); }
  QModelIndex folderIndex(const QString& name);
  void showTab(const QString& caption);

  std::unique_ptr<QTemporaryDir> dir_;
  fs::path game_;
  std::unique_ptr<kvo::ui::QtShell> shell_;
  std::unique_ptr<kvo::Selector> selector_;
  std::unique_ptr<kvo::ui::MainWindow> window_;
};

void MainWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  game_ = fs::path(dir_->path().toStdString()) / "EAW";
  QVERIFY(!kvo::demo::writeDemoGameFolder(game_));
  shell_ = std::make_unique<kvo::ui::QtShell>();
  selector_ = std::make_unique<kvo::Selector>(*shell_);
  QCOMPARE(selector_->startUp(game_, {1280, 1024}), kvo::StartupOutcome::Ready);
  window_ = std::make_unique<kvo::ui::MainWindow>(*selector_);
  shell_->attach(*window_);
  window_->refresh();
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void MainWindowTest::cleanup() {
  window_.reset();
  selector_.reset();
  shell_.reset();
  dir_.reset();
}

QModelIndex MainWindowTest::folderIndex(const QString& name) {
  const QAbstractItemModel& model = unigrid().gridModel();
  for (int row = 0; row < model.rowCount(); ++row) {
    const QModelIndex index = model.index(row, 1);
    if (index.data().toString() == name) return index;
  }
  return {};
}

void MainWindowTest::showTab(const QString& caption) {
  auto* tabs = window_->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
  for (int i = 0; i < tabs->count(); ++i) {
    if (tabs->tabText(i) == caption) tabs->setCurrentIndex(i);
  }
  QCOMPARE(tabs->tabText(tabs->currentIndex()), caption);
}

void MainWindowTest::tabsAndButtonsCarryTheirNamesAndCaptions() {
  QCOMPARE(window_->objectName(), QStringLiteral("KVOForm"));
  auto* tabs = window_->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
  QVERIFY(tabs);
  const QStringList captions = {"General Settings", "Complete Sets", "World Settings",
                                "Autoscripts and Program launch", "Planes and Skins"};
  QCOMPARE(tabs->count(), captions.size());
  for (int i = 0; i < tabs->count(); ++i) QCOMPARE(tabs->tabText(i), captions[i]);
  const QList<QPair<QString, QString>> buttons = {{"Command1", "Reset All"},
                                                  {"delmsn", "Del MSN"},
                                                  {"Command3", "Exit"},
                                                  {"Command8", "Minimise"}};
  for (const auto& [name, caption] : buttons) {
    auto* button = window_->findChild<QPushButton*>(name);
    QVERIFY2(button, qPrintable(name));
    QCOMPARE(button->text(), caption);
    QVERIFY2(!tabs->isAncestorOf(button), qPrintable(name));
  }
  for (const char* grid : {"Unigrid", "SK1", "G1"}) QVERIFY(window_->findChild<GridView*>(grid));
}

void MainWindowTest::unigridListsTheModFoldersOfTheGameFolder() {
  showTab(QStringLiteral("World Settings"));
  for (const char* name : {"T-Normandy", "T-Burma", "T Desert", "G-Water", "B-Autumn Screens"}) {
    const QModelIndex index = folderIndex(QString::fromLatin1(name));
    QVERIFY2(index.isValid(), name);
    QVERIFY2(!unigrid().isRowHidden(index.row()), name);
  }
  // The full path column exists for the core only.
  QVERIFY(unigrid().isColumnHidden(0));
  QVERIFY(!folderIndex(QStringLiteral("Autoscripts")).isValid());
  QVERIFY(!folderIndex(QStringLiteral("Skinfolder")).isValid());
}

void MainWindowTest::clickLoadsAndEnterUnloadsAFolder() {
  showTab(QStringLiteral("World Settings"));
  const QModelIndex normandy = folderIndex(QStringLiteral("T-Normandy"));
  QVERIFY(normandy.isValid());
  unigrid().scrollTo(normandy);
  QTest::mouseClick(unigrid().viewport(), Qt::LeftButton, {},
                    unigrid().visualRect(normandy).center());
  QVERIFY(fs::exists(game_ / "normandy.ter"));
  const QModelIndex loaded = folderIndex(QStringLiteral("T-Normandy"));
  QCOMPARE(loaded.data(Qt::BackgroundRole).value<QColor>(), QColor(0xC0, 0xFF, 0xC0));
  QCOMPARE(unigrid().currentIndex().row(), loaded.row());

  unigrid().setFocus();
  QTest::keyClick(&unigrid(), Qt::Key_Return);
  QVERIFY(!fs::exists(game_ / "normandy.ter"));
  QVERIFY(!folderIndex(QStringLiteral("T-Normandy")).data(Qt::BackgroundRole).isValid());
}

void MainWindowTest::categoryFilterHidesOtherCategories() {
  showTab(QStringLiteral("World Settings"));
  auto* list3 = window_->findChild<QListWidget*>(QStringLiteral("List3"));
  const QList<QListWidgetItem*> terrain = list3->findItems("Terrain Sets", Qt::MatchExactly);
  QCOMPARE(terrain.size(), 1);
  list3->scrollToItem(terrain.first());
  QTest::mouseClick(list3->viewport(), Qt::LeftButton, {},
                    list3->visualItemRect(terrain.first()).center());
  const QAbstractItemModel& model = unigrid().gridModel();
  int shown = 0;
  for (int row = 0; row < model.rowCount(); ++row) {
    const QString name = model.index(row, 1).data().toString();
    const bool terrainFolder = name.startsWith("T-") || name.startsWith("T ");
    QCOMPARE(unigrid().isRowHidden(row), !terrainFolder);
    shown += terrainFolder ? 1 : 0;
  }
  QCOMPARE(shown, 3);
  QCOMPARE(model.headerData(1, Qt::Horizontal).toString(),
           QStringLiteral("Only one selection can be made!"));
}

void MainWindowTest::gridsRefuseClicksWhileAnOperationRuns() {
  bool enabledDuring = true;
  bool nestedAccepted = true;
  const bool ran = window_->runner().run([&] {
    enabledDuring = unigrid().isEnabled();
    nestedAccepted = window_->runner().run([] {});
  });
  QVERIFY(ran);
  QVERIFY(!enabledDuring);
  QVERIFY(!nestedAccepted);
  QVERIFY(unigrid().isEnabled());
  QVERIFY(window_->findChild<GridView*>(QStringLiteral("SK1"))->isEnabled());
}

// Gives the plane record file in `planeFolder` another aircraft name (its first line).
void renamePlane(const fs::path& planeFolder, const std::string& name) {
  for (const auto& entry : fs::directory_iterator(planeFolder)) {
    if (entry.path().extension() != ".kvo") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    bytes.replace(0, bytes.find('\r'), name);
    std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << bytes;
    return;
  }
  QFAIL("no plane record file");
}

void MainWindowTest::flightModelWithPlanesShowsTheAlternativePlanes() {
  showTab(QStringLiteral("World Settings"));
  // Out of name order, so that sorting by name shows.
  renamePlane(game_ / "KVO128/F-Alternative Planes/P-Bf 109G-10", "Yak-3");
  const QModelIndex folder = folderIndex(QStringLiteral("F-Alternative Planes"));
  QVERIFY(folder.isValid());
  unigrid().scrollTo(folder);
  QTest::mouseClick(unigrid().viewport(), Qt::LeftButton, {},
                    unigrid().visualRect(folder).center());
  showTab(QStringLiteral("Planes and Skins"));
  auto* frame6 = window_->findChild<QGroupBox*>(QStringLiteral("Frame6"));
  QVERIFY(frame6);
  QTRY_VERIFY(frame6->isVisible());
  QCOMPARE(frame6->title(), QStringLiteral("Alternative Planes:"));
  auto* g1 = window_->findChild<GridView*>(QStringLiteral("G1"));
  const QAbstractItemModel& planes = g1->gridModel();
  QCOMPARE(planes.rowCount(), 3);

  // "Name" sorts the planes by aircraft name.
  auto* byName = window_->findChild<kvo::ui::ClickableLabel*>(QStringLiteral("Label20_3"));
  QVERIFY(byName);
  QTest::mouseClick(byName, Qt::LeftButton);
  QStringList aircraft;
  for (int row = 0; row < planes.rowCount(); ++row) {
    aircraft << planes.index(row, 3).data().toString();
  }
  QCOMPARE(aircraft, (QStringList{"Mustang Mk III", "Spitfire LF Mk IXe", "Yak-3"}));
}

void MainWindowTest::everyTabRendersToAScreenshot() {
  QVERIFY(QDir().mkpath(KVO_SCREENSHOT_DIR));
  auto* tabs = window_->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    const QString file = QStringLiteral(KVO_SCREENSHOT_DIR "/tab%1.png").arg(i);
    QFile::remove(file);
    QVERIFY(window_->grab().save(file));
    QVERIFY2(QFileInfo(file).size() > 0, qPrintable(file));
  }
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
