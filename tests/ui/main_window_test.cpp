#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "gamefiles/plane_menu.h"
#include "ui/core_runner.h"
#include "ui/grid_view.h"
#include "ui/picture_box.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using kvo::demo::MenuSide;
using kvo::test::readBytes;
using kvo::test::writeBytes;
using kvo::ui::GridView;

namespace {

// True when `view` shows the text of `index` whole: inside the viewport and not cut short
// with an ellipsis, with the margins the style keeps around a cell's text.
bool showsWhole(const GridView& view, const QModelIndex& index) {
  const QString text = index.data().toString();
  const QRect rect = view.visualRect(index);
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  const bool inside =
      index.isValid() && rect.left() >= 0 && rect.right() < view.viewport()->width();
  return inside &&
         view.fontMetrics().elidedText(text, Qt::ElideRight, rect.width() - 2 * margin) == text;
}

// On the button itself: a radio button takes clicks only on its circle and caption.
void clickRadio(QRadioButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

}  // namespace

// The whole window on 1920 x 1080 scaled to 150%, the smallest screen it is walked on, each test
// on a demo folder of its own. Which bytes a click changes is the core's to get right: here each
// control must reach it, and what the window itself shows must follow.
class MainWindowTest final : public QObject {
  Q_OBJECT

 private:
  // Starts the window as a player's start places it, on the demo folder as `arrange` leaves it,
  // and brings the tab `tab` to the front.
  void start(const char* tab, const std::function<void(const fs::path&)>& arrange = {},
             const kvo::demo::DemoOptions& options = {}) {
    demo_ = std::make_unique<kvo::test::DemoWindow>();
    QVERIFY(demo_->start(arrange, options));
    game_ = demo_->game;
    QVERIFY(showTab(tab));
  }
  kvo::ui::MainWindow& window() { return *demo_->window; }
  // The window's widget `name`; a missing one stops the test program with its name.
  template <typename Widget>
  Widget* find(const char* name) {
    auto* widget = window().findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  GridView& unigrid() { return *find<GridView>("Unigrid"); }
  GridView& sk1() { return *find<GridView>("SK1"); }
  QString status() { return window().statusBar()->currentMessage(); }

  bool showTab(const char* caption) {
    auto* tabs = find<QTabWidget>("SSTab1");
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->tabText(i) == QLatin1String(caption)) tabs->setCurrentIndex(i);
    }
    return tabs->tabText(tabs->currentIndex()) == QLatin1String(caption);
  }
  // The cell of `view` whose column `col` shows `text`, scrolled into sight; invalid if none.
  static QModelIndex cell(GridView& view, int col, const QString& text) {
    const QAbstractItemModel& model = *view.model();
    const auto found = model.match(model.index(0, col), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    if (!found.isEmpty()) view.scrollTo(found.first());
    return found.value(0);
  }
  QModelIndex folder(const char* name) { return cell(unigrid(), 1, QString::fromLatin1(name)); }
  QString mark(const char* name) { return folder(name).siblingAtColumn(2).data().toString(); }
  bool clickCell(const char* name, int col, const QString& text) {
    GridView& view = *find<GridView>(name);
    const QModelIndex index = cell(view, col, text);
    if (!index.isValid()) return false;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
    return true;
  }
  // Through the window system, so that the two presses make a double-click as a mouse's do.
  void doubleClick(GridView& view, const QModelIndex& index) {
    const QPoint at = view.viewport()->mapTo(&window(), view.visualRect(index).center());
    QTest::mouseDClick(window().windowHandle(), Qt::LeftButton, {}, at);
  }
  bool clickListItem(const char* name, const QString& text) {
    auto* list = find<QListWidget>(name);
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.size() != 1) return false;
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
    return true;
  }
  void click(const char* name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
  // Loads the flight model, or unloads it when it is loaded, and comes back to its planes.
  void clickFlightModel() {
    QVERIFY(showTab("World Settings"));
    QVERIFY(clickCell("Unigrid", 1, QStringLiteral("F-Alternative Planes")));
    QVERIFY(showTab("Planes and Skins"));
  }

  std::unique_ptr<kvo::test::DemoWindow> demo_;
  fs::path game_;

 private slots:
  void cleanup() { demo_.reset(); }

  // A click that comes while an operation runs must not start a second one inside it.
  void theWindowFitsASmallScreenAndFoldersArePreviewedFilteredAndLoaded() {
    start("World Settings");
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.5);
    // With its frame inside the screen's free area, and as large as its layout needs at least.
    QVERIFY(window().screen()->availableGeometry().contains(window().frameGeometry()));
    QCOMPARE(window().size().expandedTo(window().minimumSizeHint()), window().size());
    // The buttons under the tabs are shared by all of them, and none is cut off.
    auto* tabs = find<QTabWidget>("SSTab1");
    for (const char* name : {"Command1", "delmsn", "Command3", "Command8"}) {
      auto* button = find<QPushButton>(name);
      const QRect at(button->mapTo(&window(), QPoint()), button->size());
      QVERIFY2(!tabs->isAncestorOf(button) && window().rect().contains(at), name);
    }
    kvo::ui::CoreRunner& runner = window().runner();
    bool nestedAccepted = true;
    QVERIFY(runner.show([&] { nestedAccepted = runner.show([] {}); }));
    QVERIFY(!nestedAccepted);
    QVERIFY(runner.show([] {}));

    // Which rows the filter keeps and what a load writes are the core's to get right; here
    // the grid, the previews and the status bar must follow each click and key.
    auto* text9 = find<QPlainTextEdit>("Text9");
    auto* myLabel = find<QLabel>("MyLabel");
    auto* conflicts = find<QLabel>("ConflictLabel");
    const auto hover = [&](const char* name) {
      QTest::mouseMove(unigrid().viewport(), unigrid().visualRect(folder(name)).center());
    };
    hover("T-Normandy");
    QTRY_VERIFY(text9->toPlainText().startsWith(QStringLiteral("Normandy 1944")));
    QVERIFY(myLabel->text().startsWith(QStringLiteral("Normandy 1944")));
    // What a click would replace comes from the click's own plan.
    hover("X-German Speech");
    QTRY_COMPARE(conflicts->text(), QStringLiteral("Overwrites Chatline.txt."));
    // Out over the preview itself, where no handler of its own takes the text away.
    QTest::mouseMove(text9, text9->rect().center());
    QTRY_COMPARE(myLabel->text() + text9->toPlainText() + conflicts->text(), QString());

    QVERIFY(clickListItem("List3", QStringLiteral("Terrain Sets")));
    QVERIFY(!unigrid().isRowHidden(folder("T-Burma").row()));
    QVERIFY(unigrid().isRowHidden(folder("G-Water").row()));
    QCOMPARE(find<QLabel>("Label6")->text(), QStringLiteral("T"));
    click("Label33");
    QCOMPARE(find<QListWidget>("List3")->currentRow(), 0);
    QCOMPARE(find<QLabel>("Label6")->text(), QString());
    // "Show ALL" as at start: every folder but the hidden careers.
    QVERIFY(!unigrid().isRowHidden(folder("G-Water").row()));
    QVERIFY(unigrid().isRowHidden(folder("C-Career42").row()));

    // Enter acts on the current row and leaves the focus in the grid for the next key.
    QVERIFY(clickCell("Unigrid", 1, QStringLiteral("T-Normandy")));
    QTest::keyClick(&unigrid(), Qt::Key_Up);
    QTest::keyClick(&unigrid(), Qt::Key_Return);
    QCOMPARE(status(), QStringLiteral("Unloaded T-Normandy. Loaded T-Burma."));
    QCOMPARE(readBytes(game_ / "KVO128" / "FoldersLoaded.txt"), "T-Burma\r\n\r\n");
    QCOMPARE(mark("T-Burma") + mark("T-Normandy"), QStringLiteral("S"));
    QCOMPARE(QApplication::focusWidget(), &unigrid());
    QVERIFY(clickCell("Unigrid", 1, QStringLiteral("G-Water")));
    demo_->shell.messages.clear();
    click("Command1");
    // Asked first, from the plan: the count and the game's own files among them.
    QCOMPARE(demo_->shell.messages.size(), std::size_t{1});
    const auto& question = demo_->shell.messages.front();
    QVERIFY2(question.find("deletes 12 files") != std::string::npos, question.c_str());
    QVERIFY2(question.find("planes.dat") != std::string::npos, question.c_str());
    QCOMPARE(status(),
             QStringLiteral("Reset All unloaded T-Burma, G-Water, deleted 12 files from the "
                            "game folder and put eaw.exe back from KVO128."));
    click("delmsn");
    QCOMPARE(status(), QStringLiteral("Del MSN deleted default7.MSN, DefaultA.msn from Savedata."));
  }

  // A player clicks down a long list without moving the mouse far: every click must land on
  // the row that was under the pointer, and nothing around the grid may shift.
  void rowsStayUnderThePointerWhileFoldersLoad() {
    start("World Settings", {}, {.bulkModFolders = 300});
    QScrollBar& scroll = *unigrid().verticalScrollBar();
    scroll.setValue(scroll.maximum() / 2);
    const int scrolled = scroll.value();
    QVERIFY(scrolled > 0);
    const QSize windowSize = window().size();
    auto* refresh = find<QWidget>("Label33");
    const QPoint refreshAt = refresh->mapTo(&window(), QPoint());
    const int x = unigrid().columnViewportPosition(1) + 8;
    for (int step = 1; step <= 6; ++step) {
      const QPoint point(x, unigrid().viewport()->height() * step / 8);
      const QString name = unigrid().indexAt(point).data().toString();
      QVERIFY(unigrid().indexAt(point).siblingAtColumn(2).data().toString().isEmpty());
      QTest::mouseClick(unigrid().viewport(), Qt::LeftButton, {}, point);
      QCOMPARE(unigrid().indexAt(point).data().toString(), name);
      QCOMPARE(unigrid().indexAt(point).siblingAtColumn(2).data().toString(), QStringLiteral("S"));
      QCOMPARE(scroll.value(), scrolled);
      QCOMPARE(window().size(), windowSize);
      QCOMPARE(refresh->mapTo(&window(), QPoint()), refreshAt);
    }
    // The loaded mark stays clear of the scroll bar.
    QVERIFY(unigrid().columnViewportPosition(2) + unigrid().columnWidth(2) <=
            unigrid().viewport()->width());
  }

  void enterSavesASettingTheViewerEditsTheFileAndKeepOriginalsIsKept() {
    start("General Settings", [](const fs::path& game) {
      writeBytes(game / "eaw.ini", "[Video]\r\nPilot=Ren\xe9\r\nWidth=800\r\nHeight=600\r\nDay=3");
    });
    auto* width = find<QLineEdit>("Text5");
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("1024"));
    QTest::keyClick(width, Qt::Key_Return);
    const std::string saved = "[Video]\r\nPilot=Ren\xe9\r\nWidth=1024\r\nHeight=600\r\nDay=3\r\n";
    QCOMPARE(readBytes(game_ / "eaw.ini"), saved);
    QCOMPARE(status(), QStringLiteral("Saved Width=1024 in eaw.ini."));
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("640"));
    find<QLineEdit>("Text6")->setFocus();
    QTRY_COMPARE(status(),
                 QStringLiteral("Width=640 is not saved yet: Enter in any of the six boxes saves "
                                "all six."));
    QCOMPARE(readBytes(game_ / "eaw.ini"), saved);

    // The game's Width and Height count device pixels, not the scaled ones.
    QCOMPARE(find<QLabel>("Label18_0")->text() + find<QLabel>("Label18_1")->text(),
             QStringLiteral("19201080"));

    // The viewer shows the file with the box's line ends, without growing the window past the
    // screen; an edit by hand keeps the bytes of the lines it does not touch.
    auto* frame = find<QGroupBox>("Frame21");
    auto* text = find<QPlainTextEdit>("Text14");
    const QSize windowSize = window().size();
    click("IniEdit");
    QTRY_VERIFY(frame->isVisible());
    QCOMPARE(window().size(), windowSize);
    QCOMPARE(text->toPlainText(),
             QStringLiteral("[Video]\nPilot=Ren\u00e9\nWidth=1024\nHeight=600\nDay=3\n"));
    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, QStringLiteral("Width=640"));
    click("InSaver");
    QCOMPARE(readBytes(game_ / "eaw.ini"), saved + "Width=640\r\n");
    QTRY_COMPARE(width->text(), QStringLiteral("640"));
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(4, 4));
    QTRY_VERIFY(!frame->isVisible());

    auto* box = find<QCheckBox>("KeepOriginals");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    QCOMPARE(readBytes(game_ / "KVO128" / "Options.txt"), "KeepOriginals=on\r\n");

    // Every change made is in the history, newest last.
    click("History");
    auto* history = window().findChild<QDialog*>(QStringLiteral("HistoryDialog"));
    QTRY_VERIFY(history && history->isVisible());
    const QString entries =
        history->findChild<QPlainTextEdit*>(QStringLiteral("HistoryText"))->toPlainText();
    QVERIFY(entries.contains(QStringLiteral("\tsave the settings in eaw.ini\t1 written\n")));
    QVERIFY(entries.trimmed().endsWith(QStringLiteral("\twrite\tKVO128\\Options.txt")));
    history->close();
  }

  void aPackageIsPreviewedLoadedAndHandedOverByTheClipboard() {
    QGuiApplication::clipboard()->clear();
    start("Complete Sets");
    auto* label51 = find<QLabel>("Label51");
    QVERIFY(clickListItem("GUPC", QStringLiteral("Europe 1942.set")));
    QTRY_COMPARE(find<QListWidget>("List9")->count(), 6);
    QVERIFY(find<QLabel>("PackagePlan")
                ->text()
                .startsWith(QStringLiteral("Loading it unloads 0 folders and loads 3 folders.")));
    QCOMPARE(label51->text(), QStringLiteral("Europe in 1942 with the career of that year\n"));
    const fs::path europe = game_ / "KVO128" / "Autoscripts" / "Europe 1942.set";
    const std::string asMade = readBytes(europe);
    writeBytes(europe, "Europe again\r\n");
    QVERIFY(clickListItem("GUPC", QStringLiteral("Europe 1942.set")));
    QTRY_COMPARE(label51->text(), QStringLiteral("Europe again\n"));
    writeBytes(europe, asMade);
    QVERIFY(clickListItem("GUPC", QStringLiteral("Europe 1942.set")));
    QTRY_COMPARE(find<QListWidget>("List9")->count(), 6);
    QVERIFY(find<kvo::ui::PictureBox>("Image4")->hasPicture());
    QVERIFY(clickListItem("List9", QStringLiteral("H-Blue Sky")));
    QTRY_VERIFY(label51->text().startsWith(QStringLiteral("A clear blue sky.\n")));
    click("LoadQ");
    QCOMPARE(mark("H-Blue Sky"), QStringLiteral("S"));

    // What the hand-over does is the core's; here the pointer, coming from elsewhere in the
    // window and crossing the label, and Check2 must reach it.
    auto* label29 = find<QLabel>("Label29");
    const QString caption = label29->text();
    QGuiApplication::clipboard()->setText(QStringLiteral("Notes for tonight"));
    QTest::mouseMove(find<QPushButton>("LoadQ"));
    QTest::mouseMove(label29, label29->rect().center());
    QTest::mouseMove(label29, label29->rect().center() + QPoint(1, 0));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Notes for tonight"));
    QCOMPARE(label29->text(), caption);
    QGuiApplication::clipboard()->setText(QStringLiteral("Europe 1942.set"));
    QTest::mouseMove(find<QPushButton>("LoadQ"));
    QTest::mouseMove(label29, label29->rect().center());
    QTRY_COMPARE(label29->text(), QStringLiteral("Loading Europe 1942.set"));
    click("Check2");
    click("LoadQ");
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Europe 1942.set"));
  }

  // Tabbing into the launch list makes its first program current without selecting it; the
  // launch labels must still see no selection.
  void scriptsAreSavedAfterAskingPreviewedAndRunAndMusicAndLaunchFollowTheirLists() {
    start("Autoscripts and Program launch", [](const fs::path& game) {
      writeBytes(game / "KVO128" / "FoldersLoaded.txt", "T-Burma\r\n\r\n");
    });
    auto* list = find<QListWidget>("List6");
    list->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(list->hasFocus());
    QCOMPARE(demo_->selector.state.List6.index, -1);
    list->setCurrentRow(1);
    QCOMPARE(demo_->selector.state.List6.index, 1);
    list->clearSelection();
    QCOMPARE(demo_->selector.state.List6.index, -1);

    const fs::path burma = game_ / "KVO128" / "Autoscripts" / "Burma.set";
    auto* text2 = find<QPlainTextEdit>("Text2");
    auto* setWarn = find<QFrame>("SetWarn");
    find<QLineEdit>("Text1")->selectAll();
    QTest::keyClicks(find<QLineEdit>("Text1"), QStringLiteral("Burma"));
    click("Command7");
    QCOMPARE(readBytes(burma), std::string("T-Burma\r\n\r\n"));
    // Saving over it asks first: Label4_1 says no, Label4_0 yes.
    text2->setFocus();
    text2->moveCursor(QTextCursor::End);
    QTest::keyClicks(text2, QStringLiteral("G-Water"));
    for (const char* answer : {"Label4_1", "Label4_0"}) {
      click("Command7");
      QTRY_VERIFY(setWarn->isVisible());
      QCOMPARE(readBytes(burma), std::string("T-Burma\r\n\r\n"));
      click(answer);
      QTRY_VERIFY(!setWarn->isVisible());
    }
    QCOMPARE(readBytes(burma), std::string("T-Burma\r\nG-Water\r\n"));

    QVERIFY(clickListItem("File10", QStringLiteral("Normandy Invasion.set")));
    QTRY_COMPARE(find<QListWidget>("List2")->count(), 6);
    QVERIFY(find<QLabel>("ScriptPlan")
                ->text()
                .startsWith(
                    QStringLiteral("Loading it unloads 1 folder and loads 4 folders, 1 skin.")));
    // Read again on a click on the same script, and again by the run: what the file holds then
    // is what loads.
    const fs::path normandy = game_ / "KVO128" / "Autoscripts" / "Normandy Invasion.set";
    writeBytes(normandy, "G-Water\r\n");
    QVERIFY(clickListItem("File10", QStringLiteral("Normandy Invasion.set")));
    QTRY_COMPARE(find<QListWidget>("List2")->count(), 1);
    writeBytes(normandy, "T-Normandy\r\n");
    click("Command6");
    QVERIFY(fs::exists(game_ / "normandy.ter"));
    QCOMPARE(find<QListWidget>("List2")->item(0)->text(), QStringLiteral("T-Normandy"));
    QCOMPARE(mark("G-Water"), QString());

    auto* label11 = find<QLabel>("Label11");
    QCOMPARE(label11->text(), QStringLiteral("Classic Score"));
    QVERIFY(clickListItem("List4", QStringLiteral("Quiet Skies")));
    QTRY_COMPARE(label11->text(), QStringLiteral("Quiet Skies"));
  }

  // Which bytes a plane or an editor changes is the engine's to get right: each click must
  // reach it.
  void skinsAndPlanesLoadByMouseAndKeysAndTheEditorsReadAndWrite() {
    const auto all = kvo::demo::demoAlternativePlanes();
    const auto plane = *std::ranges::find(all, "P-Bf 109G-10", &kvo::demo::DemoPlane::folder);
    // Yak-3 sorts out of name order; a recorded folder that is gone must not stop the start.
    start("Planes and Skins", [&](const fs::path& game) {
      writeBytes(game / "KVO128/F-Alternative Planes" / plane.folder / (plane.artCode + "alt.kvo"),
                 kvo::demo::makeKvoRecord("Yak-3", plane.slot, plane.artCode, plane.fuel));
      writeBytes(game / "KVO128" / "FoldersLoaded.txt", "T-Gone\r\n\r\n");
    });
    // Start-up shows only the loaded skins, and the demo has none loaded.
    QVERIFY(clickListItem("List1", QStringLiteral("ALL")));
    QVERIFY(showsWhole(sk1(), cell(sk1(), 2, QStringLiteral("109G"))));
    doubleClick(sk1(), cell(sk1(), 0, QStringLiteral("Mustang Invasion")));
    QVERIFY(fs::exists(game_ / "pp51d.3dz"));
    QVERIFY(!sk1().horizontalScrollBar()->isVisible());

    // The rename box and the preview follow the current row however the player reaches it.
    auto* text3 = find<QLineEdit>("Text3");
    auto* text10 = find<QPlainTextEdit>("Text10");
    QVERIFY(clickCell("SK1", 0, QStringLiteral("Mustang Invasion")));
    QCOMPARE(text3->text(), QStringLiteral("Mustang Invasion"));
    QCOMPARE(QApplication::focusWidget(), &sk1());
    QTest::keyClick(&sk1(), Qt::Key_Down);
    QCOMPARE(text3->text(), QStringLiteral("Spit Mk IX Desert"));
    QVERIFY(text10->toPlainText().startsWith(QStringLiteral("Spitfire Mk IX")));
    QTest::keyClick(&sk1(), Qt::Key_Return);
    QVERIFY(fs::exists(game_ / "psp09.3dz"));

    // A renamed skin that is loaded stays loaded under its new name.
    text3->selectAll();
    QTest::keyClicks(text3, QStringLiteral("Spit Desert"));
    click("Command12");
    QCOMPARE(status(), QStringLiteral("Renamed the skin folder Spit Mk IX Desert to Spit Desert."));
    const QModelIndex renamed = cell(sk1(), 0, QStringLiteral("Spit Desert"));
    QCOMPARE(renamed.siblingAtColumn(1).data().toString(), QStringLiteral("S"));

    click("PnamesEditorButton");
    auto* pnames = find<QDialog>("Pnameform");
    QTRY_VERIFY(pnames->isVisible());
    pnames->findChild<QTableWidget*>(QStringLiteral("Grid"))->item(1, 0)->setText("Lightning J");
    QTest::mouseClick(pnames->findChild<QPushButton*>(QStringLiteral("Save")), Qt::LeftButton);
    auto names = kvo::demo::defaultPlaneNames();
    names[1] = "Lightning J";
    QVERIFY(readBytes(game_ / "pnames.str") == kvo::demo::makePnamesStr(names));

    // Entry 3 is mid-menu, so the longer name moves every record after it.
    click("MenuEditorButton");
    auto* menu = find<QDialog>("Pmnuform");
    QTRY_VERIFY(menu->isVisible());
    clickRadio(menu->findChild<QRadioButton*>(QStringLiteral("CountryBut_2")));
    QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("BMenRead")), Qt::LeftButton);
    auto shown = kvo::demo::defaultMenuNames(MenuSide::G);
    auto* entry = menu->findChild<QLineEdit*>(QStringLiteral("bmnutb_3"));
    QCOMPARE(entry->text(), QString::fromStdString(shown[3]));
    entry->clear();
    QTest::keyClicks(entry, QStringLiteral("Me 163 Komet"));
    QCOMPARE(menu->findChild<QLabel*>(QStringLiteral("mlen_3"))->text(), QStringLiteral("13"));
    QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("hux")), Qt::LeftButton);
    shown[3] = "Me 163 Komet";
    QVERIFY(readBytes(game_ / "picplng.mnu") == kvo::demo::makeMenuFile(MenuSide::G, shown));

    clickFlightModel();
    QTRY_VERIFY(find<QGroupBox>("Frame6")->isVisible());
    auto* label2 = find<QLabel>("Label2");
    QVERIFY(label2->text().contains(QStringLiteral("F-Alternative Planes")));
    const QAbstractItemModel& planes = *find<GridView>("G1")->model();
    QCOMPARE(planes.index(0, 3).data().toString(), QStringLiteral("Yak-3"));
    click("Label20_3");
    QCOMPARE(planes.index(2, 3).data().toString(), QStringLiteral("Yak-3"));
    // The last row since the sort: the click must find its plane by the row shown.
    QVERIFY(clickCell("G1", 3, QStringLiteral("Yak-3")));
    QCOMPARE(planes.index(2, 4).data().toString(), QStringLiteral("S"));
    // The editors still open follow the install; they save over it only what is typed there,
    // and only into the file of the side shown.
    auto* grid = pnames->findChild<QTableWidget*>(QStringLiteral("Grid"));
    QTRY_COMPARE(grid->item(plane.slot, 0)->text(), QStringLiteral("Yak-3"));
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("Lightning J"));
    QCOMPARE(menu->findChild<QLineEdit*>(QStringLiteral("bmnutb_1"))->text(),
             QStringLiteral("Yak-3"));
    grid->item(2, 0)->setText(QStringLiteral("Airacobra"));
    QTest::mouseClick(pnames->findChild<QPushButton*>(QStringLiteral("Save")), Qt::LeftButton);
    names[2] = "Airacobra";
    names[static_cast<std::size_t>(plane.slot)] = "Yak-3";
    QVERIFY(readBytes(game_ / "pnames.str") == kvo::demo::makePnamesStr(names));
    const std::string menuG = readBytes(game_ / "picplng.mnu");
    clickRadio(menu->findChild<QRadioButton*>(QStringLiteral("CountryBut_1")));
    // The install put its names into the first entries of side A too.
    std::vector<std::string> shownA;
    for (const auto& record :
         kvo::ReadPlaneMenu(kvo::MenuSide::A, readBytes(game_ / "picplna.mnu")).menu.records) {
      shownA.push_back(record.name);
    }
    auto* first = menu->findChild<QLineEdit*>(QStringLiteral("bmnutb_0"));
    QCOMPARE(first->text(), QString::fromStdString(shownA[0]));
    first->clear();
    QTest::keyClicks(first, QStringLiteral("Spitfire Mk V"));
    QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("hux")), Qt::LeftButton);
    shownA[0] = "Spitfire Mk V";
    QVERIFY(readBytes(game_ / "picplna.mnu") == kvo::demo::makeMenuFile(MenuSide::A, shownA));
    QVERIFY(readBytes(game_ / "picplng.mnu") == menuG);
    QCOMPARE(find<QLabel>("Label26")->text(), QStringLiteral("full load %1").arg(plane.fuel));
    clickRadio(find<QRadioButton>("Option1_2"));
    const std::string half{static_cast<char>(plane.fuel / 2 % 256),
                           static_cast<char>(plane.fuel / 512)};
    QCOMPARE(readBytes(game_ / "planes.dat").substr(216 * plane.slot + 40, 2), half);
    clickFlightModel();
    QVERIFY(!label2->isVisible() || label2->text().isEmpty());
    QCOMPARE(planes.rowCount(), 0);
    QCOMPARE(demo_->shell.messages, std::vector<std::string>{});
  }
};

int main(int argc, char** argv) {
  const QString startFolder = kvo::test::useScaledOffscreenScreen();
  QApplication app(argc, argv);
  QDir::setCurrent(startFolder);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "main_window_test.moc"
