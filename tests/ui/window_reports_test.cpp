#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "ui/core_runner.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using kvo::test::readBytes;
using kvo::test::writeBytes;
using kvo::ui::GridView;

// What the window says after each action, what it shows while and after a change runs, and
// what it refuses: the player must never have to guess from a stale pane or a silent click.
class WindowReportsTest final : public QObject {
  Q_OBJECT

 private:
  void start(const char* tab, const std::function<void(const fs::path&)>& arrange = {}) {
    demo_ = std::make_unique<kvo::test::DemoWindow>();
    QVERIFY(demo_->start(arrange));
    game_ = demo_->game;
    showTab(tab);
  }
  kvo::ui::MainWindow& window() { return *demo_->window; }
  template <typename Widget>
  Widget* find(const char* name, QWidget* in = nullptr) {
    auto* widget = (in ? in : &window())->findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  QString status() { return window().statusBar()->currentMessage(); }
  void showTab(const char* caption) {
    auto* tabs = find<QTabWidget>("SSTab1");
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->tabText(i) == QLatin1String(caption)) tabs->setCurrentIndex(i);
    }
  }
  // The first cell of `view` whose column `col` shows `text`, scrolled into sight.
  static QModelIndex cell(GridView& view, int col, const QString& text) {
    const QAbstractItemModel& model = *view.model();
    const auto found = model.match(model.index(0, col), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    if (!found.isEmpty()) view.scrollTo(found.first());
    return found.value(0);
  }
  GridView& grid(const char* name) { return *find<GridView>(name); }
  QModelIndex folder(const char* name) {
    return cell(grid("Unigrid"), 1, QString::fromLatin1(name));
  }
  void clickCell(GridView& view, const QModelIndex& index) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
  }
  // Presses a control as the keyboard does.
  void press(const char* name) {
    auto* widget = find<QWidget>(name);
    widget->setFocus(Qt::TabFocusReason);
    QTest::keyClick(widget, Qt::Key_Space);
  }
  void pressOn(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
  }
  // The Option1 buttons checked, as "0" for 100% ... "5" for 5%, "" for none.
  QString fuelChecked() {
    QString checked;
    for (int i = 0; i < 6; ++i) {
      if (find<QRadioButton>(QStringLiteral("Option1_%1").arg(i).toLatin1().constData())
              ->isChecked()) {
        checked += QString::number(i);
      }
    }
    return checked;
  }
  // The fuel planes.dat holds for `plane`.
  int fuelOnDisk(const kvo::demo::DemoPlane& plane) {
    const std::string bytes = readBytes(game_ / "planes.dat").substr(216 * plane.slot + 40, 2);
    return static_cast<unsigned char>(bytes[0]) + 256 * static_cast<unsigned char>(bytes[1]);
  }

  std::unique_ptr<kvo::test::DemoWindow> demo_;
  fs::path game_;

 private slots:
  void cleanup() { demo_.reset(); }

  void everyActionSaysWhatItDid() {
    QGuiApplication::clipboard()->clear();
    start("Autoscripts and Program launch", [](const fs::path& game) {
      writeBytes(game / "eaw.ini", "Width=800\r\nHeight=600\r\nDay=3\r\nMonth=7\r\n");
    });
    press("Label28_0");
    QCOMPARE(status(), QStringLiteral("Choose a program in the list first; nothing was started."));
    QVERIFY(demo_->shell.started.empty());
    auto* name = find<QLineEdit>("Text1");
    name->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(name, QStringLiteral("Desert"));
    press("Command7");
    QCOMPARE(status(), QStringLiteral("Saved the autoscript Desert.set."));
    press("Command7");
    QTRY_VERIFY(find<QFrame>("SetWarn")->isVisible());
    press("Label4_1");
    QCOMPARE(status(), QStringLiteral("Kept the autoscript Desert.set as it was."));
    auto* music = find<QListWidget>("List4");
    music->setFocus(Qt::TabFocusReason);
    music->setCurrentRow(music->count() - 1);
    const QString chosen = music->currentItem()->text();
    QTest::keyClick(music, Qt::Key_Return);
    QVERIFY2(status().startsWith(QStringLiteral("The music in use is ") + chosen),
             qPrintable(status()));

    showTab("Complete Sets");
    auto* packages = find<QListWidget>("GUPC");
    packages->setCurrentItem(
        packages->findItems(QStringLiteral("Europe 1942.set"), Qt::MatchExactly).value(0));
    pressOn(find<QCheckBox>("Check2"));
    QCOMPARE(status(),
             QStringLiteral(
                 "Loading a package now also puts its name on the clipboard to post online."));
    press("LoadQ");
    QVERIFY2(
        status().endsWith(QStringLiteral("Put Europe 1942.set on the clipboard to post online.")),
        qPrintable(status()));

    // A typed value the game cannot take is refused by its box, and nothing is written.
    showTab("General Settings");
    const std::string ini = readBytes(game_ / "eaw.ini");
    auto* day = find<QLineEdit>("Text7");
    day->setFocus(Qt::TabFocusReason);
    day->selectAll();
    QTest::keyClicks(day, QStringLiteral("abc"));
    QTest::keyClick(day, Qt::Key_Return);
    QCOMPARE(readBytes(game_ / "eaw.ini"), ini);
    QCOMPARE(demo_->shell.messages.size(), std::size_t{1});
    QVERIFY(demo_->shell.messages[0].starts_with("Day must be a whole number from 1 to 31"));
    QVERIFY(status().startsWith(QStringLiteral("Day must be")));
    QCOMPARE(day->text(), QStringLiteral("abc"));
    demo_->shell.messages.clear();
    day->selectAll();
    QTest::keyClicks(day, QStringLiteral("31"));
    QTest::keyClick(day, Qt::Key_Return);
    QCOMPARE(status(), QStringLiteral("Saved Day=31 in eaw.ini."));
    pressOn(find<QCheckBox>("KeepOriginals"));
    QCOMPARE(status(),
             QStringLiteral("The game's own files are kept when a folder replaces them."));
    press("IniEdit");
    press("InSaver");
    QCOMPARE(status(), QStringLiteral("Saved eaw.ini."));

    showTab("Planes and Skins");
    press("Label39");
    QCOMPARE(status(), QStringLiteral("No skin was loaded, so none was cleared."));
    press("PnamesEditorButton");
    auto* pnames = find<QDialog>("Pnameform");
    QTRY_VERIFY(pnames->isVisible());
    QTest::mouseClick(find<QPushButton>("Save", pnames), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("Saved pnames.str."));
    pnames->close();
    press("MenuEditorButton");
    auto* menu = find<QDialog>("Pmnuform");
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(find<QPushButton>("BMenRead", menu), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>("hux", menu), Qt::LeftButton);
    QVERIFY2(status().startsWith(QStringLiteral("Saved picpln")), qPrintable(status()));
    menu->close();
    QCOMPARE(demo_->shell.messages, std::vector<std::string>{});

    // A report longer than the bar shows that it is cut, and whole in the tooltip.
    window().resize(window().minimumSizeHint().width(), window().height());
    press("Command1");
    const QString whole = window().statusBar()->toolTip();
    QVERIFY2(whole.startsWith(QStringLiteral("Reset All unloaded")) && whole.endsWith(u'.'),
             qPrintable(whole));
    QTRY_VERIFY(status().endsWith(QChar(0x2026)));
    QVERIFY(whole.startsWith(status().chopped(1)));
    window().resize(window().screen()->availableGeometry().width() * 9 / 10, window().height());
    QTRY_COMPARE(status(), whole);
  }

  // The player clicks another row while a swap still copies: the click is refused aloud, and
  // the grid shows which row goes and which comes until the swap is done.
  void aClickDuringASwapIsRefusedAndTheSwapShowsBothRows() {
    start("World Settings", [](const fs::path& game) {
      writeBytes(game / "KVO128" / "FoldersLoaded.txt", "T-Burma\r\n\r\n");
    });
    GridView& unigrid = grid("Unigrid");
    QString during;
    QVariant burmaDuring;
    QVariant normandyDuring;
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
      ran = window().runner().busy();
      burmaDuring = folder("T-Burma").data(Qt::BackgroundRole);
      normandyDuring = folder("T-Normandy").data(Qt::BackgroundRole);
      clickCell(unigrid, folder("G-Water"));
      during = status();
    });
    clickCell(unigrid, folder("T-Normandy"));
    QVERIFY(ran);
    QCOMPARE(during, QStringLiteral("Wait until the current change has finished."));
    QCOMPARE(burmaDuring, QVariant(kvo::ui::changingColour(false)));
    QCOMPARE(normandyDuring, QVariant(kvo::ui::changingColour(true)));
    QCOMPARE(status(), QStringLiteral("Unloaded T-Burma. Loaded T-Normandy."));
    QCOMPARE(readBytes(game_ / "KVO128" / "FoldersLoaded.txt"), "T-Normandy\r\n\r\n");
    QCOMPARE(folder("G-Water").siblingAtColumn(2).data().toString(), QString());
    // Once done, the rows show their loaded state again.
    QCOMPARE(folder("T-Burma").data(Qt::BackgroundRole), kvo::ui::backgroundFor(0));
    QCOMPARE(folder("T-Normandy").data(Qt::BackgroundRole),
             kvo::ui::backgroundFor(kvo::kLoadedGreen));
  }

  // After a change and after Reset All, every pane shows what the disk holds.
  void nothingShownIsStaleAfterAChangeOrResetAll() {
    start("World Settings", [](const fs::path& game) {
      writeBytes(game / "KVO128" / "FoldersLoaded.txt", "T-Burma\r\n\r\n");
    });
    GridView& unigrid = grid("Unigrid");
    auto* conflicts = find<QLabel>("ConflictLabel");
    QTest::mouseMove(unigrid.viewport(), unigrid.visualRect(folder("T-Normandy")).center());
    QTRY_VERIFY(conflicts->text().startsWith(QStringLiteral("Replaces T-Burma.")));
    // The pointer rests on T-Normandy while the keys unload T-Burma.
    unigrid.setFocus(Qt::TabFocusReason);
    unigrid.setCurrentIndex(folder("T-Burma"));
    QTest::keyClick(&unigrid, Qt::Key_Space);
    QCOMPARE(status(), QStringLiteral("Unloaded T-Burma."));
    QVERIFY2(!conflicts->text().contains(QStringLiteral("T-Burma")), qPrintable(conflicts->text()));
    QVERIFY(!conflicts->text().isEmpty());

    clickCell(unigrid, folder("F-Alternative Planes"));
    showTab("Planes and Skins");
    GridView& g1 = grid("G1");
    const auto planes = kvo::demo::demoAlternativePlanes();
    const auto install = [&](const kvo::demo::DemoPlane& plane) {
      clickCell(g1, cell(g1, 0, QString::fromStdString(plane.folder)));
      QCOMPARE(
          cell(g1, 0, QString::fromStdString(plane.folder)).siblingAtColumn(4).data().toString(),
          QStringLiteral("S"));
    };
    install(planes[0]);
    QCOMPARE(fuelOnDisk(planes[0]), planes[0].fuel);
    QCOMPARE(fuelChecked(), QStringLiteral("0"));
    pressOn(find<QRadioButton>("Option1_2"));
    QCOMPARE(fuelOnDisk(planes[0]), planes[0].fuel / 2);
    QCOMPARE(fuelChecked(), QStringLiteral("2"));
    QVERIFY(status().startsWith(QStringLiteral("The fuel of ")));
    // Another slot: its plane comes with its full load, whatever was pressed for the last.
    install(planes[1]);
    QCOMPARE(fuelOnDisk(planes[1]), planes[1].fuel);
    QCOMPARE(fuelChecked(), QStringLiteral("0"));
    // planes.dat changed behind the window: a refresh shows what it holds now.
    const int fuelAt = 216 * planes[1].slot + 40;
    std::string dat = readBytes(game_ / "planes.dat");
    const int tenth = planes[1].fuel / 10;
    dat[static_cast<std::size_t>(fuelAt)] = static_cast<char>(tenth % 256);
    dat[static_cast<std::size_t>(fuelAt) + 1] = static_cast<char>(tenth / 256);
    writeBytes(game_ / "planes.dat", dat);
    window().refresh();
    QCOMPARE(fuelChecked(), QStringLiteral("4"));

    // The skin's name in the rename box and the hovered plane's codes, then Reset All.
    auto* list1 = find<QListWidget>("List1");
    list1->setCurrentRow(0);
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {},
                      list1->visualItemRect(list1->item(0)).center());
    GridView& sk1 = grid("SK1");
    clickCell(sk1, sk1.model()->index(0, 0));
    QVERIFY(!find<QLineEdit>("Text3")->text().isEmpty());
    QTest::mouseMove(g1.viewport(), g1.visualRect(g1.model()->index(0, 0)).center());
    QTRY_VERIFY(!find<QLabel>("label19_1")->text().isEmpty());
    press("Command1");
    QVERIFY(status().startsWith(QStringLiteral("Reset All")));
    QCOMPARE(find<QLineEdit>("Text3")->text(), QString());
    QCOMPARE(find<QLabel>("label19_0")->text() + find<QLabel>("label19_1")->text(), QString());
    QCOMPARE(find<QLabel>("Label26")->text(), QStringLiteral("choose a plane first"));
    QCOMPARE(find<QLabel>("Label27")->text(), QString());
    QCOMPARE(fuelChecked(), QString());
    // Only Reset All's own question, which the test's shell answers yes.
    QCOMPARE(demo_->shell.messages.size(), std::size_t{1});
    QVERIFY(demo_->shell.messages.front().starts_with("Reset All unloads everything"));
  }
};

int main(int argc, char** argv) {
  const QString startFolder = kvo::test::useScaledOffscreenScreen();
  QApplication app(argc, argv);
  QDir::setCurrent(startFolder);
  WindowReportsTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "window_reports_test.moc"
