#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <sstream>

#include "demo_window.h"

namespace fs = std::filesystem;
using kvo::demo::MenuSide;
using kvo::test::DemoWindow;
using kvo::test::readBytes;
using kvo::ui::GridView;

namespace {

// The numbers of a plane record file's lines 2..169, read here without the program's reader.
std::vector<int> recordValues(const fs::path& kvo) {
  std::istringstream lines(readBytes(kvo));
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

// On the button itself: a radio button takes clicks only on its circle and caption.
void clickRadio(QRadioButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

}  // namespace

class PlanesSkinsTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { demo_.reset(); }
  void doubleClickLoadsAndUnloadsASkin();
  void arrowKeysPreviewTheSkinThatEnterLoadsAndReNameRenames();
  void columnsShowTheirTextWholeAndTheFilterFollowsTheClick();
  void clickingEachPlaneWritesTheGameFiles();
  void fuelButtonWritesItsShare();
  void editorsOpenReadAndWrite();

 private:
  DemoWindow& demo() { return *demo_; }
  GridView& sk1() { return demo_->grid("SK1"); }
  // Through the window system, so that the two presses make a double-click as a mouse's do.
  void doubleClick(const QModelIndex& index) {
    const QPoint at = sk1().viewport()->mapTo(&demo().window(), sk1().visualRect(index).center());
    QTest::mouseDClick(demo().window().windowHandle(), Qt::LeftButton, {}, at);
  }
  void loadFlightModel();
  void noMessages() {
    QVERIFY2(demo().shell().messages.empty(), qPrintable(demo().shell().firstMessage()));
  }
  std::unique_ptr<DemoWindow> demo_;
};

void PlanesSkinsTest::init() {
  demo_ = std::make_unique<DemoWindow>();
  QVERIFY(demo().ok());
  QVERIFY(demo().showTab(QStringLiteral("Planes and Skins")));
  // Start-up shows only the loaded skins, and the demo has none loaded.
  QVERIFY(demo().clickListItem("List1", QStringLiteral("ALL")));
}

void PlanesSkinsTest::loadFlightModel() {
  QVERIFY(demo().showTab(QStringLiteral("World Settings")));
  QVERIFY(demo().clickCell("Unigrid", 1, QStringLiteral("F-Alternative Planes")));
  QVERIFY(demo().showTab(QStringLiteral("Planes and Skins")));
  QTRY_VERIFY(demo().find<QGroupBox>(QStringLiteral("Frame6"))->isVisible());
}

void PlanesSkinsTest::doubleClickLoadsAndUnloadsASkin() {
  const QModelIndex mustang = DemoWindow::cell(sk1(), 0, QStringLiteral("Mustang Invasion"));
  doubleClick(mustang);
  QVERIFY(fs::exists(demo().game() / "pp51d.3dz"));
  QVERIFY(fs::exists(demo().game() / "pp51d.tpc"));
  QCOMPARE(mustang.siblingAtColumn(1).data().toString(), QStringLiteral("S"));
  doubleClick(mustang);
  QVERIFY(!fs::exists(demo().game() / "pp51d.3dz"));
  QCOMPARE(mustang.siblingAtColumn(1).data().toString(), QString());
}

// The rename box and the preview follow the current row however the player reaches it.
void PlanesSkinsTest::arrowKeysPreviewTheSkinThatEnterLoadsAndReNameRenames() {
  auto* text3 = demo().find<QLineEdit>(QStringLiteral("Text3"));
  auto* text10 = demo().find<QPlainTextEdit>(QStringLiteral("Text10"));
  QVERIFY(demo().clickCell("SK1", 0, QStringLiteral("Mustang Invasion")));
  QCOMPARE(text3->text(), QStringLiteral("Mustang Invasion"));
  QCOMPARE(QApplication::focusWidget(), &sk1());
  QTest::keyClick(&sk1(), Qt::Key_Down);
  QCOMPARE(text3->text(), QStringLiteral("Spit Mk IX Desert"));
  QVERIFY2(text10->toPlainText().startsWith(QStringLiteral("Spitfire Mk IX")),
           qPrintable(text10->toPlainText()));
  QTest::keyClick(&sk1(), Qt::Key_Return);
  QVERIFY(fs::exists(demo().game() / "psp09.3dz"));
  QCOMPARE(demo().status(), QStringLiteral("Loaded Spit Mk IX Desert."));
  QCOMPARE(text3->text(), QStringLiteral("Spit Mk IX Desert"));

  // A renamed skin that is loaded stays loaded under its new name.
  text3->selectAll();
  QTest::keyClicks(text3, QStringLiteral("Spit Desert"));
  demo().click("Command12");
  const fs::path skins = demo().game() / "KVO128" / "Skinfolder";
  QVERIFY(fs::is_directory(skins / "Spit Desert"));
  QVERIFY(fs::is_directory(skins / "Mustang Invasion"));
  QCOMPARE(demo().status(),
           QStringLiteral("Renamed the skin folder Spit Mk IX Desert to Spit Desert."));
  const QModelIndex renamed = DemoWindow::cell(sk1(), 0, QStringLiteral("Spit Desert"));
  QCOMPARE(renamed.siblingAtColumn(1).data().toString(), QStringLiteral("S"));
  noMessages();
}

void PlanesSkinsTest::columnsShowTheirTextWholeAndTheFilterFollowsTheClick() {
  const QModelIndex tropical = DemoWindow::cell(sk1(), 0, QStringLiteral("Bf109G Tropical"));
  doubleClick(tropical);
  QCOMPARE(tropical.siblingAtColumn(1).data().toString(), QStringLiteral("S"));
  QCOMPARE(tropical.siblingAtColumn(2).data().toString(), QStringLiteral("109G"));
  for (int row = 0; row < sk1().model()->rowCount(); ++row) {
    for (int col = 0; col < 3; ++col) {
      const QModelIndex index = sk1().model()->index(row, col);
      QVERIFY2(kvo::test::showsWhole(sk1(), index), qPrintable(index.data().toString()));
    }
  }
  QVERIFY(!sk1().horizontalScrollBar()->isVisible());

  QVERIFY(demo().clickListItem("List1", QStringLiteral("109G")));
  QCOMPARE(demo().find<QListWidget>(QStringLiteral("List1"))->currentItem()->text(),
           QStringLiteral("109G"));
  QCOMPARE(sk1().model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("109G"));
  QStringList shown;
  for (int row = 0; row < sk1().model()->rowCount(); ++row) {
    if (!sk1().isRowHidden(row)) shown << sk1().model()->index(row, 0).data().toString();
  }
  QCOMPARE(shown, (QStringList{"Bf109G Tropical", "Bf109G Winter"}));
}

void PlanesSkinsTest::clickingEachPlaneWritesTheGameFiles() {
  loadFlightModel();
  const fs::path fm = demo().game() / "KVO128/F-Alternative Planes";
  auto planesDat = readBytes(demo().game() / "planes.dat");
  auto loadout = readBytes(demo().game() / "loadout.dat");
  auto names = kvo::demo::defaultPlaneNames();
  const std::vector<std::pair<MenuSide, std::vector<int>>> menus = {
      {MenuSide::B, {13, 11, 10, 9, 14, 12}},
      {MenuSide::A, {5, 3, 4, 2, 0, 1}},
      {MenuSide::G, {18, 17, 22, 23, 16, 24, 20, 19}}};
  const kvo::Grid& g1 = demo().state().G1;
  for (const auto& plane : kvo::demo::demoAlternativePlanes()) {
    const fs::path dir = fm / plane.folder;
    GridView& view = demo().grid("G1");
    const QModelIndex name =
        DemoWindow::cell(view, 0, QString::fromStdString(plane.folder)).siblingAtColumn(3);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(name).center());
    noMessages();
    QCOMPARE(g1.text(g1.findRow(0, plane.folder), 4), "S");

    const auto values = recordValues(fileWithExtension(dir, ".kvo"));
    QCOMPARE(values.size(), std::size_t{168});
    for (std::size_t k = 0; k < 168; ++k) {
      planesDat[216 * static_cast<std::size_t>(plane.slot) + 4 + k] = static_cast<char>(values[k]);
    }
    QVERIFY(readBytes(demo().game() / "planes.dat") == planesDat);
    names[static_cast<std::size_t>(plane.slot)] = plane.name;
    QVERIFY(readBytes(demo().game() / "pnames.str") == kvo::demo::makePnamesStr(names));
    for (const auto& [side, sources] : menus) {
      auto shown = kvo::demo::defaultMenuNames(side);
      for (std::size_t k = 0; k < sources.size(); ++k) {
        shown[k] = names[static_cast<std::size_t>(sources[k])];
      }
      QVERIFY(readBytes(demo().game() / kvo::demo::menuFileName(side)) ==
              kvo::demo::makeMenuFile(side, shown));
    }
    if (plane.slot == 17) {
      for (std::size_t i = 0; i < 5; ++i) loadout[1999 + i] = "\3\1\4\1\5"[i];
    } else {
      loadout[static_cast<std::size_t>(99 + plane.slot)] = 7;
      loadout[1499] = 42;
    }
    QVERIFY(readBytes(demo().game() / "loadout.dat") == loadout);
    const auto flt = fileWithExtension(dir, ".flt");
    QVERIFY(readBytes(demo().game() / flt.filename()) == readBytes(flt));
    QCOMPARE(demo().find<QLabel>(QStringLiteral("Label26"))->text(), QString::number(plane.fuel));
  }
}

void PlanesSkinsTest::fuelButtonWritesItsShare() {
  loadFlightModel();
  QVERIFY(demo().clickListItem("List1", QStringLiteral("P51B")));
  const int full = demo().find<QLabel>(QStringLiteral("Label26"))->text().toInt();
  QVERIFY(full > 0);
  auto* half = demo().find<QRadioButton>(QStringLiteral("Option1_2"));
  clickRadio(half);
  QVERIFY(half->isChecked());
  noMessages();
  const auto bytes = readBytes(demo().game() / "planes.dat");
  QCOMPARE(static_cast<unsigned char>(bytes[216 * 4 + 40]) +
               256 * static_cast<unsigned char>(bytes[216 * 4 + 41]),
           full / 2);
}

void PlanesSkinsTest::editorsOpenReadAndWrite() {
  demo().click("PnamesEditorButton");
  auto* pnames = demo().find<QDialog>(QStringLiteral("Pnameform"));
  QTRY_VERIFY(pnames->isVisible());
  QCOMPARE(pnames->windowTitle(), QStringLiteral("Pnames.str editor"));
  auto* grid = pnames->findChild<QTableWidget*>(QStringLiteral("Grid"));
  auto names = kvo::demo::defaultPlaneNames();
  QCOMPARE(grid->rowCount(), static_cast<int>(names.size()));
  QCOMPARE(grid->item(1, 0)->text(), QString::fromStdString(names[1]));
  grid->item(1, 0)->setText(QStringLiteral("Lightning J"));
  QTest::mouseClick(pnames->findChild<QPushButton*>(QStringLiteral("Save")), Qt::LeftButton);
  names[1] = "Lightning J";
  QVERIFY(readBytes(demo().game() / "pnames.str") == kvo::demo::makePnamesStr(names));

  demo().click("MenuEditorButton");
  auto* menu = demo().find<QDialog>(QStringLiteral("Pmnuform"));
  QTRY_VERIFY(menu->isVisible());
  const auto before = readBytes(demo().game() / "picplng.mnu");
  auto* sideG = menu->findChild<QRadioButton*>(QStringLiteral("CountryBut_2"));
  clickRadio(sideG);
  QVERIFY(sideG->isChecked());
  QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("BMenRead")), Qt::LeftButton);
  const auto shown = kvo::demo::defaultMenuNames(MenuSide::G);
  auto* entry = menu->findChild<QLineEdit*>(QStringLiteral("bmnutb_10"));
  QCOMPARE(entry->text(), QString::fromStdString(shown[10]));
  auto* save = menu->findChild<QPushButton*>(QStringLiteral("hux"));
  QTest::mouseClick(save, Qt::LeftButton);
  QVERIFY(readBytes(demo().game() / "picplng.mnu") == before);

  entry->clear();
  QTest::keyClicks(entry, QStringLiteral("Me 163 Komet"));
  QCOMPARE(menu->findChild<QLabel*>(QStringLiteral("mlen_10"))->text(), QStringLiteral("13"));
  QTest::mouseClick(save, Qt::LeftButton);
  auto edited = shown;
  edited[10] = "Me 163 Komet";
  QVERIFY(readBytes(demo().game() / "picplng.mnu") == kvo::demo::makeMenuFile(MenuSide::G, edited));
  noMessages();
}

KVO_WINDOW_TEST_MAIN(PlanesSkinsTest, 1366, 768)
#include "planes_skins_test.moc"
