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

#include "demo_window.h"
#include "platform/listing.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"

namespace fs = std::filesystem;
using kvo::test::DemoWindow;
using kvo::ui::GridView;

class MainWindowTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void tabsAndButtonsCarryTheirNamesAndCaptions();
  void windowFitsASmallLaptopScreen();
  void unigridListsTheModFoldersOfTheGameFolder();
  void clickLoadsAndEnterUnloadsAFolder();
  void categoryFilterHidesOtherCategories();
  void gridsRefuseClicksWhileAnOperationRuns();
  void flightModelWithPlanesShowsTheAlternativePlanes();
  void statusBarSaysWhatALoadDid();
  void statusBarSaysWhatResetAllDid();
  void statusBarSaysWhatDelMsnDeleted();
  void everyTabRendersToAScreenshot();

 private:
  GridView& unigrid() { return demo_->grid("Unigrid"); }
  QModelIndex folderIndex(const QString& name) { return DemoWindow::cell(unigrid(), 1, name); }
  void clickFolder(const QString& name);
  void showTab(const QString& caption) { QVERIFY(demo_->showTab(caption)); }

  std::unique_ptr<DemoWindow> demo_;
  fs::path game_;
  kvo::ui::MainWindow* window_ = nullptr;
};

void MainWindowTest::init() {
  demo_ = std::make_unique<DemoWindow>();
  QVERIFY(demo_->ok());
  game_ = demo_->game();
  window_ = &demo_->window();
}

void MainWindowTest::cleanup() {
  window_ = nullptr;
  demo_.reset();
}

void MainWindowTest::clickFolder(const QString& name) {
  const QModelIndex index = folderIndex(name);
  QVERIFY2(index.isValid(), qPrintable(name));
  QTest::mouseClick(unigrid().viewport(), Qt::LeftButton, {}, unigrid().visualRect(index).center());
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

// 1366 x 768 is the smallest screen the selector is walked on.
void MainWindowTest::windowFitsASmallLaptopScreen() {
  QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
  QVERIFY(kvo::test::fitsOnScreen(*window_));
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
  bool nestedAccepted = true;
  const bool ran = window_->runner().run([&] { nestedAccepted = window_->runner().run([] {}); });
  QVERIFY(ran);
  QVERIFY(!nestedAccepted);
  QVERIFY(window_->runner().run([] {}));
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

namespace {

int countFiles(const fs::path& dir) {
  return static_cast<int>(kvo::listFiles(dir, "*").size());
}

}  // namespace

void MainWindowTest::statusBarSaysWhatALoadDid() {
  showTab(QStringLiteral("World Settings"));
  clickFolder(QStringLiteral("T-Normandy"));
  QCOMPARE(demo_->status(), QStringLiteral("Loaded T-Normandy."));
  clickFolder(QStringLiteral("T-Burma"));
  QCOMPARE(demo_->status(), QStringLiteral("Unloaded T-Normandy. Loaded T-Burma."));
}

void MainWindowTest::statusBarSaysWhatResetAllDid() {
  showTab(QStringLiteral("World Settings"));
  clickFolder(QStringLiteral("T-Normandy"));
  clickFolder(QStringLiteral("G-Water"));
  const int before = countFiles(game_);
  QTest::mouseClick(demo_->find<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
  const int deleted = before - countFiles(game_);
  QVERIFY(deleted > 0);
  const QString status = demo_->status();
  QVERIFY2(status.contains(QStringLiteral("T-Normandy, G-Water")), qPrintable(status));
  QVERIFY2(status.contains(QStringLiteral("deleted %1 files").arg(deleted)), qPrintable(status));
  QVERIFY2(status.contains(QStringLiteral("eaw.exe")), qPrintable(status));
}

void MainWindowTest::statusBarSaysWhatDelMsnDeleted() {
  auto* delMsn = demo_->find<QPushButton>(QStringLiteral("delmsn"));
  QTest::mouseClick(delMsn, Qt::LeftButton);
  QVERIFY(fs::exists(game_ / "Savedata" / "Mission1.msn"));
  QCOMPARE(demo_->status(),
           QStringLiteral("Del MSN deleted default7.MSN, DefaultA.msn from Savedata."));
  QTest::mouseClick(delMsn, Qt::LeftButton);
  QCOMPARE(demo_->status(), QStringLiteral("Del MSN found no default mission in Savedata."));
}

void MainWindowTest::everyTabRendersToAScreenshot() {
  QVERIFY(kvo::test::saveTabScreenshots(*window_, QString()));
}

int main(int argc, char** argv) {
  kvo::test::useOffscreenScreen(1366, 768);
  QApplication app(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
