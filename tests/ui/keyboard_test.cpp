#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "ui/grid_view.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using kvo::test::DemoWindow;
using kvo::test::readBytes;
using kvo::test::writeBytes;
using kvo::ui::GridView;

namespace {

// Stands in for the desktop's file manager: notes each address it is asked to open.
class FileManager final : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened << url; }
};

// The fuel bytes of `slot` in a planes.dat.
std::string fuelBytes(const std::string& planesDat, int slot) {
  return planesDat.substr(kvo::demo::kPlaneRecordSize * static_cast<std::size_t>(slot) + 40, 2);
}

std::string littleEndian(int value) {
  return {static_cast<char>(value % 256), static_cast<char>(value / 256)};
}

}  // namespace

// The window by keyboard alone, on 1920 x 1080 scaled to 150%: every control one stop of Tab in
// reading order, grids and lists acting on the keys as on a click, the focus plain to see, and
// the player's ways through the window (load, install, fuel, script, music, launch) without the
// mouse. Where a key changes files, the files are checked.
class KeyboardTest final : public QObject {
  Q_OBJECT

 private:
  void start(const std::function<void(const fs::path&)>& arrange = {}) {
    demo_ = std::make_unique<DemoWindow>();
    QVERIFY(demo_->start(arrange));
  }
  kvo::ui::MainWindow& window() { return *demo_->window; }
  const fs::path& game() { return demo_->game; }
  fs::path selector() { return demo_->game / "KVO128"; }
  template <typename Widget = QWidget>
  Widget* find(const char* name) {
    auto* widget = window().findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  GridView& grid(const char* name) { return *find<GridView>(name); }
  QString status() { return window().statusBar()->currentMessage(); }
  static QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
  }

  // A key as the player presses it, on whatever has the focus.
  static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
  }
  static void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
  // Presses Tab until the control `name` has the focus; false after a whole round without it.
  static bool tabTo(const char* name) {
    for (int i = 0; i < 40 && focusName() != QLatin1String(name); ++i) press(Qt::Key_Tab);
    return focusName() == QLatin1String(name);
  }
  // Ctrl+Tab until the tab `caption` is in front.
  bool switchTo(const char* caption) {
    auto* tabs = find<QTabWidget>("SSTab1");
    for (int i = 0; i < tabs->count() && tabs->tabText(tabs->currentIndex()) != caption; ++i) {
      press(Qt::Key_Tab, Qt::ControlModifier);
    }
    return tabs->tabText(tabs->currentIndex()) == QLatin1String(caption);
  }
  // The controls that Tab visits from the tab bar round to it again.
  QStringList tabStops(bool backwards = false) {
    QTabBar* bar = find<QTabWidget>("SSTab1")->tabBar();
    bar->setFocus(Qt::TabFocusReason);
    QStringList names;
    for (int i = 0; i < 40; ++i) {
      press(backwards ? Qt::Key_Backtab : Qt::Key_Tab);
      if (QApplication::focusWidget() == bar) break;
      names << focusName();
    }
    return names;
  }
  // The text in column `col` of the current row of `view`.
  static QString currentText(const GridView& view, int col) {
    return view.currentIndex().siblingAtColumn(col).data().toString();
  }
  // Presses Down (from Home) until the current row of the focused grid shows `text` in `col`.
  static bool arrowTo(const GridView& view, int col, const QString& text) {
    press(Qt::Key_Home);
    for (int i = 0; i < view.model()->rowCount() && currentText(view, col) != text; ++i) {
      press(Qt::Key_Down);
    }
    return currentText(view, col) == text;
  }
  static bool arrowTo(const QListWidget& list, const QString& text) {
    for (int i = 0; i < list.count() && list.currentItem()->text() != text; ++i) {
      press(Qt::Key_Down);
    }
    return list.currentItem() && list.currentItem()->text() == text;
  }
  // Whether the current row of `view` carries the focus mark across its top edge.
  static bool marksCurrentRow(GridView& view) {
    const QImage image = view.viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRect row = view.visualRect(view.currentIndex());
    const QPoint at(qRound(row.center().x() * ratio), qRound(row.top() * ratio) + 1);
    return image.pixelColor(at) == view.palette().color(QPalette::Highlight);
  }
  // Whether `control` shows the focus mark along its top edge, drawn over it by the window.
  static bool carriesTheFocusMark(QWidget& control) {
    const QImage image = control.parentWidget()->grab(control.geometry()).toImage();
    const qreal ratio = image.devicePixelRatio();
    const QPoint at(qRound(control.width() / 2 * ratio), 1);
    return image.pixelColor(at) == control.palette().color(QPalette::Highlight);
  }
  // Gives the window the keyboard back from a menu or a dialog, which the offscreen screen,
  // unlike a desktop, leaves active when they close.
  bool reactivate() {
    window().activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window(); });
  }
  QStringList shownRows(GridView& view, int col) {
    QStringList names;
    for (int row = 0; row < view.model()->rowCount(); ++row) {
      if (!view.isRowHidden(row)) names << view.model()->index(row, col).data().toString();
    }
    return names;
  }
  QString loadRecord() {
    return QString::fromStdString(readBytes(selector() / "FoldersLoaded.txt"));
  }

  std::unique_ptr<DemoWindow> demo_;
  const QStringList kBottom{"Command1", "delmsn", "Command8", "Command3"};

 private slots:
  void cleanup() { demo_.reset(); }

  // Tab never walks the cells of a grid, and reaches every control, the labels pressed like
  // buttons among them, in the order they are read; Shift+Tab walks the same way back.
  void tabStopsOnceAtEveryControlInReadingOrder() {
    start([](const fs::path& game) {
      writeBytes(game / "KVO128" / "FoldersLoaded.txt", "F-Alternative Planes\r\n\r\n");
    });
    const QList<std::pair<const char*, QStringList>> pages = {
        {"General Settings",
         {"Text5", "Text6", "Text4", "Text7", "Text88", "Text11", "KeepOriginals", "DeployBy",
          "History", "IniEdit"}},
        {"Complete Sets", {"GUPC", "List9", "Check1", "Check2", "LoadQ", "Label29"}},
        {"World Settings",
         {"FolderFilter", "Unigrid", "AddMod", "List3", "Label33", "Label8Scroll", "Text9"}},
        {"Autoscripts and Program launch",
         {"Text2", "Text1", "Command7", "File10", "List2", "Command6", "List6", "Label28_0",
          "Label28_1", "Label28_2", "List4"}},
        {"Planes and Skins",
         {"List1", "SK1", "Check5", "Text3", "Command12", "Label39", "Text10", "PnamesEditorButton",
          "MenuEditorButton", "Label20_0", "Label20_3", "G1", "Option1_0"}},
    };
    for (const auto& [caption, stops] : pages) {
      QVERIFY(switchTo(caption));
      QCOMPARE(tabStops(), stops + kBottom);
    }
    QStringList back = pages.back().second + kBottom;
    std::reverse(back.begin(), back.end());
    QCOMPARE(tabStops(true), back);

    // The viewer's frame, once shown, is a stop of its own, where Space hides it.
    QVERIFY(switchTo("General Settings"));
    QVERIFY(tabTo("IniEdit"));
    press(Qt::Key_Return);
    QVERIFY(find("Frame21")->isVisible());
    QCOMPARE(tabStops().mid(10, 3), (QStringList{"Frame21", "Text14", "InSaver"}));
    QVERIFY(tabTo("Frame21"));
    press(Qt::Key_Space);
    QVERIFY(!find("Frame21")->isVisible());
  }

  // Space does what a click does and Enter what the grid's Enter does (on SK1 it loads the
  // skin); the current row carries the mark only while the grid has the focus.
  void gridsActOnEnterAndSpaceAndMarkTheirCurrentRow() {
    start();
    QVERIFY(switchTo("World Settings"));
    QVERIFY(tabTo("Unigrid"));
    GridView& unigrid = grid("Unigrid");
    QVERIFY(arrowTo(unigrid, 1, QStringLiteral("T-Burma")));
    // The row the arrows reach is previewed as the one under the pointer is.
    QVERIFY(find<QPlainTextEdit>("Text9")->toPlainText().startsWith("Burma 1944: jungle"));
    QVERIFY(marksCurrentRow(unigrid));
    press(Qt::Key_Space);
    QCOMPARE(loadRecord(), QStringLiteral("T-Burma\r\n\r\n"));
    QVERIFY(fs::exists(game() / "burma.ter"));
    press(Qt::Key_Return);
    QCOMPARE(loadRecord(), QStringLiteral("\r\n"));
    QVERIFY(!fs::exists(game() / "burma.ter"));
    QCOMPARE(focusName(), QStringLiteral("Unigrid"));
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("AddMod"));
    QVERIFY(!marksCurrentRow(unigrid));

    // Reaching a skin by the arrows previews it and offers its name for renaming; Space does
    // no more than that, Enter loads it.
    QVERIFY(switchTo("Planes and Skins"));
    QVERIFY(tabTo("List1"));
    press(Qt::Key_Up);
    QCOMPARE(grid("SK1").model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ALL"));
    press(Qt::Key_Tab);
    GridView& sk1 = grid("SK1");
    QVERIFY(arrowTo(sk1, 0, QStringLiteral("Spit Mk IX Desert")));
    QCOMPARE(find<QLineEdit>("Text3")->text(), QStringLiteral("Spit Mk IX Desert"));
    QVERIFY(find<QPlainTextEdit>("Text10")->toPlainText().startsWith("Spitfire Mk IX"));
    press(Qt::Key_Space);
    QVERIFY(!fs::exists(game() / "psp09.3dz"));
    press(Qt::Key_Return);
    QVERIFY(fs::exists(game() / "psp09.3dz"));
    QCOMPARE(currentText(sk1, 1), QStringLiteral("S"));
    QVERIFY(marksCurrentRow(sk1));
    QVERIFY(tabTo("Label39"));  // "Clear all skins"
    press(Qt::Key_Space);
    QVERIFY(!fs::exists(game() / "psp09.3dz"));
  }

  void labelsPressedLikeButtonsAnswerEnterAndSpace() {
    QGuiApplication::clipboard()->clear();
    start();
    QVERIFY(switchTo("World Settings"));
    QVERIFY(tabTo("Label33"));
    QVERIFY(carriesTheFocusMark(*find("Label33")));
    press(Qt::Key_Space);
    QVERIFY2(status().startsWith(QStringLiteral("Refresh! lists ")), qPrintable(status()));

    // A name that is taken brings the overwrite prompt up; its labels answer the keys.
    QVERIFY(switchTo("Autoscripts and Program launch"));
    const fs::path script = selector() / "Autoscripts" / "Desert Campaign.set";
    const std::string before = readBytes(script);
    QVERIFY(tabTo("Text1"));
    type(QStringLiteral("Desert Campaign"));
    QVERIFY(tabTo("Command7"));
    press(Qt::Key_Return);
    QVERIFY(find("SetWarn")->isVisible());
    QVERIFY(tabTo("Label4_1"));
    press(Qt::Key_Return);
    QVERIFY(!find("SetWarn")->isVisible());
    QCOMPARE(readBytes(script), before);
    QVERIFY(tabTo("Command7"));
    press(Qt::Key_Space);
    QVERIFY(tabTo("Label4_0"));
    press(Qt::Key_Space);
    QCOMPARE(readBytes(script), std::string("\r\n"));

    // The online client's hand-over area picks the package up by key as by the pointer.
    QVERIFY(switchTo("Complete Sets"));
    QGuiApplication::clipboard()->setText(QStringLiteral("Europe 1942.set"));
    QVERIFY(tabTo("Label29"));
    press(Qt::Key_Return);
    QCOMPARE(find<QLabel>("Label29")->text(), QStringLiteral("Loading Europe 1942.set"));
    QVERIFY(loadRecord().contains(QStringLiteral("H-Blue Sky")));
  }

  // The filters follow the arrows, since their highlighted entry is the filter in force; the
  // music list only moves, and switches on Enter or Space, since a switch renames folders.
  void filterListsFollowTheArrowsAndTheMusicListWaitsForEnter() {
    start();
    QVERIFY(switchTo("World Settings"));
    QVERIFY(tabTo("List3"));
    auto* categories = find<QListWidget>("List3");
    QVERIFY(arrowTo(*categories, QStringLiteral("Terrain Sets")));
    QCOMPARE(find<QLabel>("Label6")->text(), QStringLiteral("T"));
    QCOMPARE(shownRows(grid("Unigrid"), 1), (QStringList{"T Desert", "T-Burma", "T-Normandy"}));

    QVERIFY(switchTo("Autoscripts and Program launch"));
    QVERIFY(tabTo("List4"));
    auto* music = find<QListWidget>("List4");
    const std::string quiet = readBytes(game() / "Quiet Skies" / "main.bgm");
    QVERIFY(arrowTo(*music, QStringLiteral("Quiet Skies")));
    QCOMPARE(find<QLabel>("Label11")->text(), QStringLiteral("Classic Score"));
    QVERIFY(fs::exists(game() / "Quiet Skies"));
    press(Qt::Key_Return);
    QCOMPARE(find<QLabel>("Label11")->text(), QStringLiteral("Quiet Skies"));
    QCOMPARE(readBytes(game() / "Music" / "main.bgm"), quiet);
    QVERIFY(!fs::exists(game() / "Quiet Skies"));
    QVERIFY(fs::exists(game() / "Classic Score" / "combat.bgm"));
  }

  // Done-when walk, part one: a folder loaded, a plane installed and its fuel set, no mouse.
  void aFlightModelIsLoadedAndAPlaneInstalledAndFuelledByKeysAlone() {
    const auto planes = kvo::demo::demoAlternativePlanes();
    const auto& plane = planes.front();  // "P-Bf 109G-10", slot 17
    // Named so that it sorts last by name.
    start([&](const fs::path& game) {
      writeBytes(game / "KVO128/F-Alternative Planes" / plane.folder / (plane.artCode + "alt.kvo"),
                 kvo::demo::makeKvoRecord("Yak-3", plane.slot, plane.artCode, plane.fuel));
    });
    QVERIFY(switchTo("World Settings"));
    QVERIFY(tabTo("FolderFilter"));
    type(QStringLiteral("alternative"));
    press(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("Unigrid"));
    press(Qt::Key_Return);
    QCOMPARE(loadRecord(), QStringLiteral("F-Alternative Planes\r\n\r\n"));

    QVERIFY(switchTo("Planes and Skins"));
    QVERIFY(tabTo("Label20_3"));  // "Name"
    press(Qt::Key_Space);
    QCOMPARE(grid("G1").model()->index(2, 3).data().toString(), QStringLiteral("Yak-3"));
    QVERIFY(tabTo("G1"));
    QVERIFY(arrowTo(grid("G1"), 0, QString::fromStdString(plane.folder)));
    QCOMPARE(find<QLabel>("label19_0")->text(), QString::number(plane.slot));
    press(Qt::Key_Return);
    const std::string installed = readBytes(game() / "planes.dat");
    QCOMPARE(fuelBytes(installed, plane.slot), littleEndian(plane.fuel));
    QCOMPARE(currentText(grid("G1"), 4), QStringLiteral("S"));

    // Tab reaches the first fuel button; Space chooses it, and from a chosen one the arrows
    // choose the next, as in any group of option buttons.
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("Option1_0"));
    press(Qt::Key_Space);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    QVERIFY(find<QRadioButton>("Option1_2")->isChecked());
    QCOMPARE(fuelBytes(readBytes(game() / "planes.dat"), plane.slot), littleEndian(plane.fuel / 2));
  }

  // Done-when walk, part two: an autoscript saved and replayed, the music switched and the game
  // launched, no mouse.
  void anAutoscriptIsSavedAndReplayedMusicSwitchedAndTheGameLaunchedByKeysAlone() {
    start();
    QVERIFY(switchTo("World Settings"));
    QVERIFY(tabTo("FolderFilter"));
    type(QStringLiteral("burma"));
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    QCOMPARE(loadRecord(), QStringLiteral("T-Burma\r\n\r\n"));

    QVERIFY(switchTo("Autoscripts and Program launch"));
    QVERIFY(tabTo("Text1"));
    type(QStringLiteral("Walk"));
    QVERIFY(tabTo("Command7"));
    press(Qt::Key_Return);
    const fs::path walk = selector() / "Autoscripts" / "Walk.set";
    QCOMPARE(readBytes(walk), std::string("T-Burma\r\n\r\n"));

    QVERIFY(tabTo("Command1"));  // Reset All
    press(Qt::Key_Return);
    QVERIFY(!fs::exists(game() / "burma.ter"));
    QVERIFY(tabTo("File10"));
    QVERIFY(arrowTo(*find<QListWidget>("File10"), QStringLiteral("Walk.set")));
    QVERIFY(tabTo("Command6"));
    press(Qt::Key_Space);
    QCOMPARE(loadRecord(), QStringLiteral("T-Burma\r\n\r\n"));
    QVERIFY(fs::exists(game() / "burma.ter"));

    const std::string bigBand = readBytes(game() / "Big Band" / "main.bgm");
    QVERIFY(tabTo("List4"));
    press(Qt::Key_Space);
    QCOMPARE(find<QLabel>("Label11")->text(), QStringLiteral("Big Band"));
    QCOMPARE(readBytes(game() / "Music" / "main.bgm"), bigBand);
    QVERIFY(!fs::exists(game() / "Big Band"));

    // Tab makes a program current without choosing it: "Just Launch" then starts nothing.
    QVERIFY(tabTo("List6"));
    QVERIFY(tabTo("Label28_0"));
    press(Qt::Key_Return);
    QCOMPARE(demo_->shell.started, std::vector<fs::path>{});
    QVERIFY(tabTo("List6"));
    press(Qt::Key_Space);
    QVERIFY(tabTo("Label28_0"));
    press(Qt::Key_Return);
    const std::vector<fs::path> once{game() / "eaw.exe"};
    QCOMPARE(demo_->shell.started, once);
    // A held key does not launch again and again.
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QCoreApplication::sendEvent(QApplication::focusWidget(), &held);
    QCOMPARE(demo_->shell.started, once);
  }

  // Typing a name after a click into the box replaces the prompt instead of joining it.
  void aNameTypedIntoTheFilenameBoxReplacesThePrompt() {
    start();
    QVERIFY(switchTo("Autoscripts and Program launch"));
    auto* name = find<QLineEdit>("Text1");
    QCOMPARE(name->text(), QStringLiteral("Enter the filename"));
    QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(name->width() - 4, name->height() / 2));
    QTRY_VERIFY(name->hasSelectedText());
    type(QStringLiteral("My Desert"));
    QCOMPARE(name->text(), QStringLiteral("My Desert"));
  }

  // The box keeps the rows whose name contains its text, in any case, of those the category
  // shows; Enter goes on to the first of them and Esc empties it.
  void theFilterBoxNarrowsTheFoldersTogetherWithTheCategory() {
    start();
    QVERIFY(switchTo("World Settings"));
    GridView& unigrid = grid("Unigrid");
    QVERIFY(tabTo("FolderFilter"));
    type(QStringLiteral("a"));
    const QStringList withA = shownRows(unigrid, 1);
    QVERIFY(withA.contains("G-Water") && withA.contains("T-Burma") && !withA.contains("T Desert"));
    QVERIFY(tabTo("List3"));
    QVERIFY(arrowTo(*find<QListWidget>("List3"), QStringLiteral("Terrain Sets")));
    QCOMPARE(shownRows(unigrid, 1), (QStringList{"T-Burma", "T-Normandy"}));
    // Back in the box its text is selected, so that what is typed replaces it.
    QVERIFY(tabTo("FolderFilter"));
    type(QStringLiteral("NORM"));
    QCOMPARE(shownRows(unigrid, 1), QStringList{"T-Normandy"});
    press(Qt::Key_Down);
    QCOMPARE(focusName(), QStringLiteral("Unigrid"));
    QCOMPARE(currentText(unigrid, 1), QStringLiteral("T-Normandy"));
    press(Qt::Key_Return);
    QCOMPARE(loadRecord(), QStringLiteral("T-Normandy\r\n\r\n"));
    // With no row left, Enter in the grid acts on none.
    press(Qt::Key_Backtab);
    type(QStringLiteral("no such folder"));
    QCOMPARE(shownRows(unigrid, 1), QStringList{});
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    press(Qt::Key_Space);
    QCOMPARE(loadRecord(), QStringLiteral("T-Normandy\r\n\r\n"));
    press(Qt::Key_Backtab);
    press(Qt::Key_Escape);
    QCOMPARE(find<QLineEdit>("FolderFilter")->text(), QString());
    QCOMPARE(shownRows(unigrid, 1), (QStringList{"T Desert", "T-Burma", "T-Normandy"}));
  }

  // The right button and the menu key open the row's menu; its entries act on that row.
  void aFolderRowHasAMenuToLoadOpenAndShowConflicts() {
    start();
    FileManager files;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &files, "open");
    QVERIFY(switchTo("World Settings"));
    GridView& unigrid = grid("Unigrid");
    const auto menuFor = [&](const char* name, bool byKey) -> QMenu* {
      if (!reactivate()) return nullptr;
      unigrid.setFocus(Qt::TabFocusReason);
      if (!arrowTo(unigrid, 1, QString::fromLatin1(name))) return nullptr;
      if (byKey) {
        press(Qt::Key_F10, Qt::ShiftModifier);
      } else {
        const QPoint at = unigrid.visualRect(unigrid.currentIndex()).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, unigrid.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(unigrid.viewport(), &click);
      }
      return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    };
    const auto entries = [](const QMenu* menu) {
      QStringList texts;
      for (const QAction* action : menu->actions()) {
        texts << action->text() + (action->isEnabled() ? "" : " (off)");
      }
      return texts;
    };

    QMenu* menu = menuFor("T-Normandy", false);
    QVERIFY(menu);
    QCOMPARE(entries(menu), (QStringList{"Load", "Open folder", "Show conflicts"}));
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    QTRY_COMPARE(loadRecord(), QStringLiteral("T-Normandy\r\n\r\n"));

    menu = menuFor("T-Normandy", true);
    QVERIFY(menu);
    QCOMPARE(entries(menu), (QStringList{"Unload", "Open folder", "Show conflicts (off)"}));
    menu->actions().at(1)->trigger();
    menu->close();
    QCOMPARE(files.opened.size(), 1);
    const QString folder = QString::fromStdU16String((selector() / "T-Normandy").u16string());
    QCOMPARE(QFileInfo(files.opened.front().toLocalFile()), QFileInfo(folder));
    QCOMPARE(status(), QStringLiteral("Opened T-Normandy in the file manager."));

    menu = menuFor("X-German Speech", true);
    QVERIFY(menu);
    menu->actions().at(2)->trigger();
    menu->close();
    auto* box = window().findChild<QMessageBox*>(QStringLiteral("ConflictsBox"));
    QTRY_VERIFY(box && box->isVisible());
    QCOMPARE(box->windowTitle(), QStringLiteral("Conflicts of X-German Speech"));
    // The same words as the preview beside the grid, from the click's own plan.
    QCOMPARE(box->text(), QStringLiteral("Overwrites Chatline.txt."));
    QCOMPARE(box->detailedText(), QStringLiteral("Chatline.txt (the game's own file)"));
    box->close();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  }

  // The fuel in words, the menu file as names and lengths with the bytes on demand, and plane
  // slots counted from 0 in the names window as everywhere else.
  void thePlanePaneAndTheEditorsReadInWords() {
    start([](const fs::path& game) {
      writeBytes(game / "KVO128" / "FoldersLoaded.txt", "F-Alternative Planes\r\n\r\n");
    });
    QVERIFY(switchTo("Planes and Skins"));
    auto* fuel = find<QLabel>("Label26");
    auto* place = find<QLabel>("Label27");
    QCOMPARE(fuel->text() + "|" + place->text(), QStringLiteral("choose a plane first|"));
    const auto planes = kvo::demo::demoAlternativePlanes();
    const auto& plane = planes.front();
    // Start-up shows the chosen planes only, and none is chosen yet.
    QVERIFY(tabTo("List1"));
    press(Qt::Key_Home);
    QVERIFY(tabTo("G1"));
    QVERIFY(arrowTo(grid("G1"), 0, QString::fromStdString(plane.folder)));
    press(Qt::Key_Return);
    QCOMPARE(fuel->text(), QStringLiteral("full load %1").arg(plane.fuel));
    QCOMPARE(place->text(), QStringLiteral("stored at byte %1 of planes.dat")
                                .arg(kvo::demo::kPlaneRecordSize * plane.slot + 41));
    // One line above the buttons, not headings over their columns.
    QVERIFY(place->geometry().bottom() < find("Option1_0")->geometry().top());

    QVERIFY(tabTo("MenuEditorButton"));
    press(Qt::Key_Return);
    auto* menu = window().findChild<QDialog*>(QStringLiteral("Pmnuform"));
    QTRY_VERIFY(menu && menu->isVisible());
    menu->activateWindow();
    QTRY_VERIFY(menu->isActiveWindow());
    QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("BMenRead")), Qt::LeftButton);
    auto* header = menu->findChild<QLabel*>(QStringLiteral("hedlab"));
    auto* tail = menu->findChild<QLabel*>(QStringLiteral("position_0"));
    const QString first = menu->findChild<QLineEdit*>(QStringLiteral("bmnutb_0"))->text();
    auto* length = menu->findChild<QLabel*>(QStringLiteral("mlen_0"));
    QVERIFY(!first.isEmpty() && length->isVisible());
    QCOMPARE(length->text(), QString::number(first.size() + 1));
    QVERIFY(!header->isVisible() && !tail->isVisible());
    menu->findChild<QCheckBox*>(QStringLiteral("MnuDetails"))->click();
    QVERIFY(header->isVisible() && tail->isVisible());
    QVERIFY(header->text().startsWith(QLatin1Char(' ')));
    menu->close();
    QVERIFY(reactivate());

    QVERIFY(tabTo("PnamesEditorButton"));
    press(Qt::Key_Return);
    auto* names = window().findChild<QTableWidget*>(QStringLiteral("Grid"));
    QTRY_VERIFY(names && names->isVisible());
    QCOMPARE(names->verticalHeaderItem(0)->text(), QStringLiteral("0"));
    QCOMPARE(names->item(plane.slot, 0)->text(), QString::fromStdString(plane.name));
    QCOMPARE(names->verticalHeaderItem(plane.slot)->text(), QString::number(plane.slot));
  }
};

int main(int argc, char** argv) {
  const QString startFolder = kvo::test::useScaledOffscreenScreen();
  QApplication app(argc, argv);
  QDir::setCurrent(startFolder);
  KeyboardTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "keyboard_test.moc"
