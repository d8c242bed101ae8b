#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "demo_archives.h"
#include "ui/grid_view.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using kvo::demo::ArchiveFormat;
using kvo::demo::ArchiveItem;
using kvo::test::DemoWindow;
using kvo::test::readBytes;
using kvo::ui::GridView;

namespace {

// Every entry below `root` with a file's bytes, to tell that nothing changed.
std::map<std::string, std::string> treeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
    const auto name = fs::relative(it->path(), root).generic_string();
    tree[name] = it->is_directory() ? std::string("folder") : readBytes(it->path());
  }
  return tree;
}

QString text(const fs::path& path) {
  return QString::fromStdU16String(path.u16string());
}

}  // namespace

// "Add mod..." and drops onto the folder grid, driven as a player does with keys and drops:
// the dialog proposes what the archive or folder names, shows what will be created, and the
// install leaves the new row current and unloaded, the record and the game's files untouched.
class AddModTest final : public QObject {
  Q_OBJECT

 private:
  void start() {
    demo_ = std::make_unique<DemoWindow>();
    QVERIFY(demo_->start());
    auto* tabs = find<QTabWidget>("SSTab1");
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->tabText(i) == QLatin1String("World Settings")) tabs->setCurrentIndex(i);
    }
    fs::create_directories(downloads());
  }
  kvo::ui::MainWindow& window() { return *demo_->window; }
  fs::path selector() const { return demo_->game / "KVO128"; }
  fs::path downloads() const { return demo_->game.parent_path() / "downloads"; }
  template <typename Widget = QWidget>
  Widget* find(const char* name, QWidget* in = nullptr) {
    auto* widget = (in ? in : &window())->findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  QString status() { return window().statusBar()->currentMessage(); }
  QString loadRecord() {
    return QString::fromStdString(readBytes(selector() / "FoldersLoaded.txt"));
  }

  fs::path archive(const std::string& name, const std::vector<ArchiveItem>& items) {
    const auto file = downloads() / name;
    if (kvo::demo::writeArchive(file, ArchiveFormat::Zip, items))
      qFatal("cannot write %s", name.c_str());
    return file;
  }

  // Gives a dialog the keyboard, as the desktop does when it opens.
  static bool activate(QWidget& dialog) {
    return QTest::qWaitFor([&] {
      if (!dialog.isActiveWindow()) dialog.activateWindow();
      return dialog.isActiveWindow();
    });
  }

  // Gives the window the keyboard back from a dialog, which the offscreen screen, unlike a
  // desktop, leaves active when it closes.
  bool reactivate() { return activate(window()); }

  // Drags `paths` from the file manager and drops them onto the folder grid.
  bool drop(const std::vector<fs::path>& paths) {
    QList<QUrl> urls;
    for (const auto& path : paths) urls << QUrl::fromLocalFile(text(path));
    QMimeData mime;
    mime.setUrls(urls);
    QWidget* viewport = find<GridView>("Unigrid")->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted() || enter.dropAction() != Qt::CopyAction) return false;
    QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &dropped);
    return dropped.isAccepted();
  }

  // The dialog once it shows, with the keyboard in it; nullptr when none shows.
  QDialog* dialog() {
    QDialog* shown = nullptr;
    const bool visible = QTest::qWaitFor([&] {
      shown = window().findChild<QDialog*>(QStringLiteral("AddModDialog"));
      return shown && shown->isVisible();
    });
    if (!visible) return nullptr;
    return activate(*shown) ? shown : nullptr;
  }
  static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
  }
  static QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
  }
  static QString preview(QDialog* box) {
    return box->findChild<QPlainTextEdit*>(QStringLiteral("AddModPreview"))->toPlainText();
  }
  QString currentFolderRow() {
    const GridView& grid = *find<GridView>("Unigrid");
    return grid.currentIndex().siblingAtColumn(1).data().toString() + "|" +
           grid.currentIndex().siblingAtColumn(2).data().toString();
  }

  std::unique_ptr<DemoWindow> demo_;

 private slots:
  void cleanup() { demo_.reset(); }

  // The dialog proposes the archive's own category and name; Enter installs, the caption
  // shows the unpacking, and the new row is current and unloaded, nothing else changed.
  void anArchiveDroppedOntoTheGridIsInstalledWithWhatItProposes() {
    start();
    const auto riviera =
        archive("Riviera v2.zip", {{"Riviera/T-Riviera/eaw.tm", std::string(3000, 't')},
                                   {"Riviera/T-Riviera/riviera.ter", "r"}});
    const QString record = loadRecord();
    const std::string gameIni = readBytes(demo_->game / "eaw.ini");
    QVERIFY(drop({riviera}));
    QDialog* box = dialog();
    QVERIFY(box);
    QCOMPARE(find<QComboBox>("AddModCategory", box)->currentText(),
             QStringLiteral("Terrain Sets (T)"));
    QCOMPARE(find<QLineEdit>("AddModName", box)->text(), QStringLiteral("Riviera"));
    QVERIFY(!find<QCheckBox>("AddModReplace", box)->isChecked());
    QCOMPARE(preview(box), QStringLiteral("T-Riviera: a new mod folder, 2 files, 2.9 KB"));
    QCOMPARE(focusName(), QStringLiteral("AddModCategory"));

    const QString caption = window().windowTitle();
    QSignalSpy captions(&window(), &QWidget::windowTitleChanged);
    press(Qt::Key_Return);
    QTRY_VERIFY(fs::exists(selector() / "T-Riviera" / "riviera.ter"));
    QCOMPARE(readBytes(selector() / "T-Riviera" / "eaw.tm"), std::string(3000, 't'));
    QVERIFY(!captions.isEmpty());
    QVERIFY(captions.front().front().toString().startsWith("Please wait- unpacking: "));
    QCOMPARE(window().windowTitle(), caption);
    QCOMPARE(currentFolderRow(), QStringLiteral("T-Riviera|"));
    QCOMPARE(window().focusWidget(), find<QWidget>("Unigrid"));
    QCOMPARE(status(), QStringLiteral("Installed T-Riviera from Riviera v2.zip, not loaded."));
    QCOMPARE(loadRecord(), record);
    QCOMPARE(readBytes(demo_->game / "eaw.ini"), gameIni);
    QVERIFY(!fs::exists(demo_->game / "riviera.ter"));

    // Only one source at a time, and never a web address.
    QVERIFY(drop({riviera, riviera}));
    QCOMPARE(status(), QStringLiteral("Drop one archive or folder at a time; 2 were dropped."));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/mod.zip"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, {});
    QCoreApplication::sendEvent(find<GridView>("Unigrid")->viewport(), &enter);
    QVERIFY(!enter.isAccepted());
  }

  // An archive that would write outside its folder gets one message and no dialog, and the
  // game folder stays as it was.
  void aHostileArchiveIsRefusedWithOneMessage() {
    start();
    QVERIFY(!kvo::demo::writeDemoArchives(downloads()));
    const auto before = treeOf(demo_->game);
    QVERIFY(drop({downloads() / "Hostile.zip"}));
    QTRY_COMPARE(demo_->shell.messages.size(), std::size_t{1});
    QVERIFY2(demo_->shell.messages.front().find("leads out") != std::string::npos,
             demo_->shell.messages.front().c_str());
    QVERIFY(!window().findChild<QDialog*>(QStringLiteral("AddModDialog")));
    QCOMPARE(status(), QStringLiteral("Nothing was installed from Hostile.zip."));
    QVERIFY(treeOf(demo_->game) == before);
  }

  // A folder of loose files asks for a category; chosen and named by keys, the preview
  // follows, and the folder is copied in under the new name. A name that is taken, or a
  // loaded folder to replace, keeps Install off; Esc leaves everything as it was.
  void aDroppedFolderIsCategorisedAndNamedByKeys() {
    start();
    const auto dusk = downloads() / "Dusk Skies";
    fs::create_directories(dusk);
    kvo::test::writeBytes(dusk / "sky.tpc", "sky");
    kvo::test::writeBytes(dusk / "horizon.tpc", "horizon");
    QVERIFY(drop({dusk}));
    QDialog* box = dialog();
    QVERIFY(box);
    auto* install = find<QPushButton>("AddModInstall", box);
    QCOMPARE(find<QComboBox>("AddModCategory", box)->currentIndex(), -1);
    QVERIFY(!install->isEnabled());
    QVERIFY(preview(box).startsWith("Choose a category: "));
    press(Qt::Key_Return);  // Install is off: nothing happens
    QVERIFY(box->isVisible());
    auto* category = find<QComboBox>("AddModCategory", box);
    for (int i = 0; i < category->count() && !category->currentText().startsWith("Sky"); ++i) {
      press(Qt::Key_Down);
    }
    QCOMPARE(category->currentText(), QStringLiteral("Sky and Horizon Sets (H)"));
    QCOMPARE(preview(box), QStringLiteral("H-Dusk Skies: a new mod folder, 2 files, 10 bytes"));
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("AddModName"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Dusk"));
    QCOMPARE(preview(box), QStringLiteral("H-Dusk: a new mod folder, 2 files, 10 bytes"));
    press(Qt::Key_Return);
    QTRY_VERIFY(fs::exists(selector() / "H-Dusk" / "horizon.tpc"));
    QVERIFY(fs::exists(dusk / "horizon.tpc"));
    QCOMPARE(currentFolderRow(), QStringLiteral("H-Dusk|"));

    // T-Normandy exists, and once loaded it cannot be replaced.
    const auto normandy = archive("Normandy.zip", {{"T-Normandy/new.ter", "n"}});
    const int normandyRow = demo_->selector.state.Unigrid.findRow(1, "T-Normandy");
    QVERIFY(demo_->selector.engine.Unigrid_Click(normandyRow).ok());
    window().refresh();
    const auto before = treeOf(demo_->game);
    QVERIFY(reactivate());
    QVERIFY(drop({normandy}));
    box = dialog();
    QVERIFY(box);
    install = find<QPushButton>("AddModInstall", box);
    QCOMPARE(preview(box),
             QStringLiteral("Cannot install: KVO128 holds a folder named \"T-Normandy\" already."));
    QVERIFY(!install->isEnabled());
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("AddModReplace"));
    press(Qt::Key_Space);
    QCOMPARE(
        preview(box),
        QStringLiteral("Cannot install: \"T-Normandy\" is loaded; unload it before replacing it."));
    QVERIFY(!install->isEnabled());
    press(Qt::Key_Escape);
    QTRY_VERIFY(!box->isVisible());
    QCOMPARE(status(), QStringLiteral("Nothing was installed from Normandy.zip."));
    QVERIFY(treeOf(demo_->game) == before);
  }

  // "Add mod..." by keys alone: Tab to it, Enter, the archive's path typed into the picker;
  // a skin goes into the Skinfolder and shows in the rebuilt skin grid.
  void theButtonInstallsASkinByKeysAlone() {
    start();
    const auto skin = archive("Spit Winter.zip", {{"psp09.3dz", "model"}, {"sp09.tpc", "paint"}});
    find<GridView>("Unigrid")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("AddMod"));
    press(Qt::Key_Return);
    QFileDialog* picker = nullptr;
    QTRY_VERIFY((picker = window().findChild<QFileDialog*>(QStringLiteral("AddModPicker"))) &&
                picker->isVisible());
    QVERIFY(activate(*picker));
    QTest::keyClicks(QApplication::focusWidget(), text(skin));
    press(Qt::Key_Return);
    QDialog* box = dialog();
    QVERIFY(box);
    QCOMPARE(find<QComboBox>("AddModCategory", box)->currentText(),
             QStringLiteral("A skin, into the Skinfolder"));
    QCOMPARE(find<QLineEdit>("AddModName", box)->text(), QStringLiteral("Spit Winter"));
    press(Qt::Key_Return);
    QTRY_VERIFY(fs::exists(selector() / "Skinfolder" / "Spit Winter" / "psp09.3dz"));
    QCOMPARE(status(),
             QStringLiteral("Installed Skinfolder\\Spit Winter from Spit Winter.zip, not loaded."));
    const GridView& skins = *find<GridView>("SK1");
    QCOMPARE(skins.currentIndex().siblingAtColumn(0).data().toString(),
             QStringLiteral("Spit Winter"));
    QVERIFY(!skins.isRowHidden(skins.currentIndex().row()));
  }
};

int main(int argc, char** argv) {
  const QString startFolder = kvo::test::useScaledOffscreenScreen();
  QApplication app(argc, argv);
  QDir::setCurrent(startFolder);
  AddModTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "add_mod_test.moc"
