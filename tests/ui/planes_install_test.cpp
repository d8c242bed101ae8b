#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/selector.h"
#include "demo_game.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/main_window.h"

namespace fs = std::filesystem;
using kvo::demo::MenuSide;
using kvo::ui::GridView;

namespace {

// Keeps what the core would show in message boxes, so that a refusal cannot block the test.
class QuietShell final : public kvo::Shell {
 public:
  void message(std::string_view text, kvo::Icon, std::string_view) override {
    messages.emplace_back(text);
  }
  bool ask(std::string_view, std::string_view) override { return true; }
  void setCaption(std::string_view) override {}
  void progress(int, int) override {}
  std::string clipboardText() override { return {}; }
  void setClipboardText(std::string_view) override {}
  bool startProgram(const fs::path&, const fs::path&, std::string&) override { return false; }
  void minimise() override {}
  void quit() override {}
  std::vector<std::string> messages;
};

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The numbers of a plane record file's lines 2..169, read here without the program's reader.
std::vector<int> recordValues(const fs::path& kvo) {
  std::istringstream lines(readAll(kvo));
  std::string line;
  std::getline(lines, line);
  std::vector<int> values;
  while (std::getline(lines, line)) values.push_back(std::stoi(line));
  return values;
}

fs::path fileWithExtension(const fs::path& dir, const std::string& extension) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == extension) return entry.path();
  }
  return {};
}

}  // namespace

class PlanesInstallTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void clickingEachPlaneWritesTheGameFiles();
  void fuelButtonWritesItsShare();
  void editorsOpenReadAndWrite();

 private:
  void loadFlightModel();
  void clickCell(GridView& grid, int gridRow, int col);
  template <typename T>
  T* child(const char* name) {
    auto* found = window_->findChild<T*>(QString::fromLatin1(name));
    if (!found) qWarning("no %s", name);
    return found;
  }

  std::unique_ptr<QTemporaryDir> dir_;
  fs::path game_;
  QuietShell shell_;
  std::unique_ptr<kvo::Selector> selector_;
  std::unique_ptr<kvo::ui::MainWindow> window_;
};

void PlanesInstallTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  game_ = fs::path(dir_->path().toStdString()) / "EAW";
  QVERIFY(!kvo::demo::writeDemoGameFolder(game_));
  shell_.messages.clear();
  selector_ = std::make_unique<kvo::Selector>(shell_);
  QCOMPARE(selector_->startUp(game_, {1280, 1024}), kvo::StartupOutcome::Ready);
  window_ = std::make_unique<kvo::ui::MainWindow>(*selector_);
  window_->refresh();
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void PlanesInstallTest::cleanup() {
  window_.reset();
  selector_.reset();
  dir_.reset();
}

void PlanesInstallTest::clickCell(GridView& grid, int gridRow, int col) {
  const QAbstractItemModel& model = grid.gridModel();
  for (int row = 0; row < model.rowCount(); ++row) {
    const QModelIndex index = model.index(row, col);
    if (grid.gridModel().gridRow(row) != gridRow) continue;
    grid.scrollTo(index);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
    return;
  }
  QFAIL("no such row");
}

void PlanesInstallTest::loadFlightModel() {
  auto* tabs = child<QTabWidget>("SSTab1");
  tabs->setCurrentIndex(2);
  auto& unigrid = *child<GridView>("Unigrid");
  clickCell(unigrid, selector_->state.Unigrid.findRow(1, "F-Alternative Planes"), 1);
  tabs->setCurrentIndex(4);
  QTRY_VERIFY(child<QGroupBox>("Frame6")->isVisible());
}

void PlanesInstallTest::clickingEachPlaneWritesTheGameFiles() {
  loadFlightModel();
  const fs::path fm = game_ / "KVO128/F-Alternative Planes";
  auto planesDat = readAll(game_ / "planes.dat");
  auto loadout = readAll(game_ / "loadout.dat");
  auto names = kvo::demo::defaultPlaneNames();
  const std::vector<std::pair<MenuSide, std::vector<int>>> menus = {
      {MenuSide::B, {13, 11, 10, 9, 14, 12}},
      {MenuSide::A, {5, 3, 4, 2, 0, 1}},
      {MenuSide::G, {18, 17, 22, 23, 16, 24, 20, 19}}};
  auto& g1 = *child<GridView>("G1");
  for (const auto& plane : kvo::demo::demoAlternativePlanes()) {
    const fs::path dir = fm / plane.folder;
    clickCell(g1, selector_->state.G1.findRow(0, plane.folder), 3);
    QVERIFY2(shell_.messages.empty(), shell_.messages.empty() ? "" : shell_.messages[0].c_str());
    QCOMPARE(selector_->state.G1.text(selector_->state.G1.findRow(0, plane.folder), 4), "S");

    const auto values = recordValues(fileWithExtension(dir, ".kvo"));
    QCOMPARE(values.size(), std::size_t{168});
    for (std::size_t k = 0; k < 168; ++k) {
      planesDat[216 * static_cast<std::size_t>(plane.slot) + 4 + k] = static_cast<char>(values[k]);
    }
    QVERIFY(readAll(game_ / "planes.dat") == planesDat);
    names[static_cast<std::size_t>(plane.slot)] = plane.name;
    QVERIFY(readAll(game_ / "pnames.str") == kvo::demo::makePnamesStr(names));
    for (const auto& [side, sources] : menus) {
      auto shown = kvo::demo::defaultMenuNames(side);
      for (std::size_t k = 0; k < sources.size(); ++k) {
        shown[k] = names[static_cast<std::size_t>(sources[k])];
      }
      QVERIFY(readAll(game_ / kvo::demo::menuFileName(side)) ==
              kvo::demo::makeMenuFile(side, shown));
    }
    if (plane.slot == 17) {
      for (std::size_t i = 0; i < 5; ++i) loadout[1999 + i] = "\3\1\4\1\5"[i];
    } else {
      loadout[static_cast<std::size_t>(99 + plane.slot)] = 7;
      loadout[1499] = 42;
    }
    QVERIFY(readAll(game_ / "loadout.dat") == loadout);
    const auto flt = fileWithExtension(dir, ".flt");
    QVERIFY(readAll(game_ / flt.filename()) == readAll(flt));
    QCOMPARE(child<QLabel>("Label26")->text(), QString::number(plane.fuel));
  }
}

void PlanesInstallTest::fuelButtonWritesItsShare() {
  loadFlightModel();
  auto* list1 = child<QListWidget>("List1");
  auto* p51b = list1->findItems(QStringLiteral("P51B"), Qt::MatchExactly).value(0);
  QVERIFY(p51b);
  list1->scrollToItem(p51b);
  QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, list1->visualItemRect(p51b).center());
  const int full = child<QLabel>("Label26")->text().toInt();
  QVERIFY(full > 0);
  auto* half = child<QRadioButton>("Option1_2");
  QVERIFY(half->isVisible());
  // On the button itself: a radio button takes clicks only on its circle and caption.
  QTest::mouseClick(half, Qt::LeftButton, {}, QPoint(6, half->height() / 2));
  QVERIFY(half->isChecked());
  QVERIFY2(shell_.messages.empty(), shell_.messages.empty() ? "" : shell_.messages[0].c_str());
  const auto bytes = readAll(game_ / "planes.dat");
  QCOMPARE(static_cast<unsigned char>(bytes[216 * 4 + 40]) +
               256 * static_cast<unsigned char>(bytes[216 * 4 + 41]),
           full / 2);
}

void PlanesInstallTest::editorsOpenReadAndWrite() {
  QTest::mouseClick(child<QPushButton>("PnamesEditorButton"), Qt::LeftButton);
  auto* pnames = child<QDialog>("Pnameform");
  QVERIFY(pnames);
  QTRY_VERIFY(pnames->isVisible());
  QCOMPARE(pnames->windowTitle(), QStringLiteral("Pnames.str editor"));
  auto* grid = pnames->findChild<QTableWidget*>(QStringLiteral("Grid"));
  auto names = kvo::demo::defaultPlaneNames();
  QCOMPARE(grid->rowCount(), static_cast<int>(names.size()));
  QCOMPARE(grid->item(1, 0)->text(), QString::fromStdString(names[1]));
  grid->item(1, 0)->setText(QStringLiteral("Lightning J"));
  QTest::mouseClick(pnames->findChild<QPushButton*>(QStringLiteral("Save")), Qt::LeftButton);
  names[1] = "Lightning J";
  QVERIFY(readAll(game_ / "pnames.str") == kvo::demo::makePnamesStr(names));

  QTest::mouseClick(child<QPushButton>("MenuEditorButton"), Qt::LeftButton);
  auto* menu = child<QDialog>("Pmnuform");
  QVERIFY(menu);
  QTRY_VERIFY(menu->isVisible());
  QCOMPARE(menu->findChild<QGroupBox*>(QStringLiteral("MnuFrame"))->title(),
           QStringLiteral("Select Picplnb, Picplna, or Picplng.mnu to read/edit"));
  const auto before = readAll(game_ / "picplng.mnu");
  auto* sideG = menu->findChild<QRadioButton*>(QStringLiteral("CountryBut_2"));
  QTest::mouseClick(sideG, Qt::LeftButton, {}, QPoint(6, sideG->height() / 2));
  QVERIFY(sideG->isChecked());
  QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("BMenRead")), Qt::LeftButton);
  const auto shown = kvo::demo::defaultMenuNames(MenuSide::G);
  auto* entry = menu->findChild<QLineEdit*>(QStringLiteral("bmnutb_10"));
  QCOMPARE(entry->text(), QString::fromStdString(shown[10]));
  QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("hux")), Qt::LeftButton);
  QVERIFY(readAll(game_ / "picplng.mnu") == before);

  entry->clear();
  QTest::keyClicks(entry, QStringLiteral("Me 163 Komet"));
  QCOMPARE(menu->findChild<QLabel*>(QStringLiteral("mlen_10"))->text(), QStringLiteral("13"));
  QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("hux")), Qt::LeftButton);
  auto edited = shown;
  edited[10] = "Me 163 Komet";
  QVERIFY(readAll(game_ / "picplng.mnu") == kvo::demo::makeMenuFile(MenuSide::G, edited));
  QVERIFY(shell_.messages.empty());
}

QTEST_MAIN(PlanesInstallTest)
#include "planes_install_test.moc"
