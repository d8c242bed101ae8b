#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <fstream>
#include <iterator>

#include "demo_window.h"
#include "ui/picture_box.h"

namespace fs = std::filesystem;
using kvo::test::DemoWindow;
using kvo::test::readBytes;
using kvo::test::writeBytes;

namespace {

const std::string kIni = "[Video]\r\nPilot=Ren\xe9\r\nWidth=800\r\nHeight=600\r\nDay=3";

}  // namespace

// The General Settings, Complete Sets and Autoscripts tabs, each on a demo folder of its own.
class PagesTest final : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { demo_.reset(); }
  void enterInABoxSavesTheIniAndSaysWhat();
  void valueLeftWithoutEnterIsNamedAsUnsaved();
  void iniViewerShowsSavesAndHides();
  void keepOriginalsIsSavedInTheSelectorFolder();
  void launchListFollowsTheSelectionOnly();
  void aPackageIsPreviewedEntryByEntryAndLoaded();
  void aPackageNameOnTheClipboardIsLoadedByPassingOverTheLabel();
  void postingPutsThePackageNameOnTheClipboard();
  void scriptSaveAsksBeforeOverwritingAndWritesTheEditedText();
  void aClickedScriptIsPreviewedAndRun();
  void clickingAMusicSetSwitchesTheFolders();

 private:
  DemoWindow& demo() { return *demo_; }
  template <typename Widget>
  Widget* find(const char* name) {
    return demo_->find<Widget>(QString::fromLatin1(name));
  }
  void start(const char* tab, const DemoWindow::Arrange& arrange);
  void startWithIni() {
    start("General Settings", [](const fs::path& game) { writeBytes(game / "eaw.ini", kIni); });
  }
  void startWithPackages();
  void startWithMusic();
  // The pointer comes from elsewhere in the window and crosses the widget.
  void passOver(QWidget* widget) {
    QTest::mouseMove(find<QPushButton>("LoadQ"));
    QTest::mouseMove(widget, widget->rect().center());
    QTest::mouseMove(widget, widget->rect().center() + QPoint(2, 1));
  }
  bool loaded(const std::string& folder) {
    const kvo::Grid& grid = demo_->state().Unigrid;
    return grid.text(grid.findRow(1, folder), 2) == "S";
  }
  fs::path game() { return demo_->game(); }
  std::unique_ptr<DemoWindow> demo_;
};

void PagesTest::keepOriginalsIsSavedInTheSelectorFolder() {
  start("General Settings", {});
  auto* box = find<QCheckBox>("KeepOriginals");
  QCOMPARE(box->text(), QStringLiteral("Keep the game's own files when a folder replaces them"));
  QVERIFY(!box->isChecked());
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
  QVERIFY(demo().state().KeepOriginals);
  QVERIFY(box->isChecked());
  std::ifstream options(game() / "KVO128" / "Options.txt", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(options)), std::istreambuf_iterator<char>());
  QCOMPARE(QString::fromStdString(text), QStringLiteral("KeepOriginals=on\r\n"));
}

void PagesTest::start(const char* tab, const DemoWindow::Arrange& arrange) {
  demo_ = std::make_unique<DemoWindow>(arrange);
  QVERIFY(demo().ok());
  QVERIFY(demo().showTab(QString::fromLatin1(tab)));
}

void PagesTest::startWithPackages() {
  QGuiApplication::clipboard()->clear();
  start("Complete Sets", [](const fs::path& game) {
    writeBytes(game / "KVO128" / "S-Desert" / "desert.tpc", "sand");
    writeBytes(game / "KVO128" / "Autoscripts" / "Speedy.set",
               "Speedy set\r\n*****\r\nT-Normandy\r\nS-Desert\r\n");
  });
}

// The music example: A and C wait in their folders, B plays from Music.
void PagesTest::startWithMusic() {
  start("Autoscripts and Program launch", [](const fs::path& game) {
    for (const char* set : {"Music", "Big Band", "Quiet Skies"}) fs::remove_all(game / set);
    writeBytes(game / "Music.ini", "A\r\nB\r\nC\r\n");
    writeBytes(game / "A" / "a.bgm", "a");
    writeBytes(game / "Music" / "b.bgm", "b");
    writeBytes(game / "C" / "c.bgm", "c");
    writeBytes(game / "KVO128" / "FoldersLoaded.txt", "T-Burma\r\n\r\n");
  });
}

void PagesTest::enterInABoxSavesTheIniAndSaysWhat() {
  startWithIni();
  auto* width = find<QLineEdit>("Text5");
  QCOMPARE(width->text(), QStringLiteral("800"));
  QCOMPARE(find<QLineEdit>("Text6")->text(), QStringLiteral("600"));
  width->setFocus();
  width->selectAll();
  QTest::keyClicks(width, QStringLiteral("1024"));
  QCOMPARE(readBytes(game() / "eaw.ini"), kIni);
  QTest::keyClick(width, Qt::Key_Return);
  QCOMPARE(readBytes(game() / "eaw.ini"),
           std::string("[Video]\r\nPilot=Ren\xe9\r\nWidth=1024\r\nHeight=600\r\nDay=3\r\n"));
  QCOMPARE(width->text(), QStringLiteral("1024"));
  QCOMPARE(demo().status(), QStringLiteral("Saved Width=1024 in eaw.ini."));
  QTest::keyClick(width, Qt::Key_Return);
  QCOMPARE(demo().status(), QStringLiteral("eaw.ini already holds these settings."));
}

void PagesTest::valueLeftWithoutEnterIsNamedAsUnsaved() {
  startWithIni();
  auto* width = find<QLineEdit>("Text5");
  auto* height = find<QLineEdit>("Text6");
  width->setFocus();
  width->selectAll();
  QTest::keyClicks(width, QStringLiteral("640"));
  height->setFocus();
  QTRY_VERIFY(height->hasFocus());
  QCOMPARE(demo().status(),
           QStringLiteral("Width=640 is not saved yet: press Enter in its box to save it."));
  QCOMPARE(readBytes(game() / "eaw.ini"), kIni);
}

void PagesTest::iniViewerShowsSavesAndHides() {
  startWithIni();
  auto* frame = find<QGroupBox>("Frame21");
  auto* text = find<QPlainTextEdit>("Text14");
  QVERIFY(!frame->isVisible());
  demo().click("IniEdit");
  QTRY_VERIFY(frame->isVisible());
  QCOMPARE(text->toPlainText(),
           QStringLiteral("[Video]\nPilot=Ren\u00e9\nWidth=800\nHeight=600\nDay=3\n"));
  // An edit by hand keeps the bytes of the lines it does not touch.
  text->setFocus();
  text->moveCursor(QTextCursor::End);
  QTest::keyClicks(text, QStringLiteral("Width=640"));
  demo().click("InSaver");
  QCOMPARE(readBytes(game() / "eaw.ini"), kIni + "\r\nWidth=640\r\n");
  QTRY_COMPARE(find<QLineEdit>("Text5")->text(), QStringLiteral("640"));
  QVERIFY(frame->isVisible());
  QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(4, 4));
  QTRY_VERIFY(!frame->isVisible());
}

// Tabbing into the list makes its first program current without selecting it; the launch
// labels must still see no selection.
void PagesTest::launchListFollowsTheSelectionOnly() {
  startWithIni();
  auto* list = find<QListWidget>("List6");
  QVERIFY(list->count() >= 2);
  QVERIFY(demo().showTab(QStringLiteral("Autoscripts and Program launch")));
  list->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(list->hasFocus());
  QCOMPARE(demo().state().List6.index, -1);
  list->setCurrentRow(1);
  QCOMPARE(demo().state().List6.index, 1);
  list->clearSelection();
  QCOMPARE(demo().state().List6.index, -1);
}

void PagesTest::aPackageIsPreviewedEntryByEntryAndLoaded() {
  startWithPackages();
  auto* list9 = find<QListWidget>("List9");
  auto* label51 = find<QLabel>("Label51");
  auto* image4 = find<kvo::ui::PictureBox>("Image4");
  QVERIFY(demo().clickListItem("GUPC", QStringLiteral("Europe 1942.set")));
  QTRY_COMPARE(list9->count(), 6);
  QCOMPARE(label51->text(), QStringLiteral("Europe in 1942 with the career of that year\n"));
  QCOMPARE(image4->pictureFile(), game() / "KVO128" / "W-Europe1942" / "mypic");
  QVERIFY(image4->hasPicture());

  QVERIFY(demo().clickListItem("List9", QStringLiteral("H-Blue Sky")));
  QTRY_COMPARE(label51->text(),
               QStringLiteral("A clear blue sky.\nSynthetic demo content made by kvo-demo.\n"));
  QVERIFY(!image4->hasPicture());

  QVERIFY(demo().clickListItem("GUPC", QStringLiteral("Speedy.set")));
  QTRY_COMPARE(list9->count(), 4);
  QCOMPARE(label51->text(), QStringLiteral("Speedy set\n"));
  QCOMPARE(image4->pictureFile(), game() / "newpic");
  demo().click("LoadQ");
  QVERIFY(loaded("T-Normandy"));
  QVERIFY(loaded("S-Desert"));
  QVERIFY(fs::exists(game() / "desert.tpc"));
}

void PagesTest::aPackageNameOnTheClipboardIsLoadedByPassingOverTheLabel() {
  startWithPackages();
  auto* label29 = find<QLabel>("Label29");
  QCOMPARE(label29->text(), QStringLiteral("Online client AutoLoad area"));
  QGuiApplication::clipboard()->setText(QStringLiteral("Speedy.set"));
  passOver(label29);
  QTRY_COMPARE(label29->text(), QStringLiteral("Loading Speedy.set"));
  QCOMPARE(find<QListWidget>("GUPC")->currentItem()->text(), QStringLiteral("Speedy.set"));
  QCOMPARE(find<QListWidget>("List9")->count(), 4);
  QVERIFY(loaded("T-Normandy"));
  QVERIFY(fs::exists(game() / "normandy.ter"));
  QVERIFY(QGuiApplication::clipboard()->text().isEmpty());

  QGuiApplication::clipboard()->setText(QStringLiteral("no such package"));
  passOver(label29);
  QTRY_COMPARE(label29->text(), QStringLiteral("Online client AutoLoad area"));
  QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
}

void PagesTest::postingPutsThePackageNameOnTheClipboard() {
  startWithPackages();
  QVERIFY(demo().clickListItem("GUPC", QStringLiteral("Speedy.set")));
  demo().click("Check2");
  QVERIFY(demo().state().Check2);
  demo().click("LoadQ");
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Speedy.set"));
  // The posting selector leaves its own hand-over alone.
  auto* label29 = find<QLabel>("Label29");
  passOver(label29);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Speedy.set"));
  QCOMPARE(label29->text(), QStringLiteral("Online client AutoLoad area"));
}

void PagesTest::scriptSaveAsksBeforeOverwritingAndWritesTheEditedText() {
  startWithMusic();
  const fs::path burma = game() / "KVO128" / "Autoscripts" / "Burma.set";
  auto* text1 = find<QLineEdit>("Text1");
  auto* text2 = find<QPlainTextEdit>("Text2");
  auto* setWarn = find<QFrame>("SetWarn");
  QCOMPARE(text1->text(), QStringLiteral("Enter the filename"));
  QCOMPARE(text2->toPlainText(), QStringLiteral("T-Burma\n"));
  text1->selectAll();
  QTest::keyClicks(text1, QStringLiteral("Burma"));
  demo().click("Command7");
  QCOMPARE(readBytes(burma), std::string("T-Burma\r\n\r\n"));
  QCOMPARE(
      find<QListWidget>("File10")->findItems(QStringLiteral("Burma.set"), Qt::MatchExactly).size(),
      1);
  // Label4_1 says no, Label4_0 yes.
  demo().click("Command7");
  QTRY_VERIFY(setWarn->isVisible());
  demo().click("Label4_1");
  QTRY_VERIFY(!setWarn->isVisible());
  QCOMPARE(readBytes(burma), std::string("T-Burma\r\n\r\n"));
  text2->setFocus();
  text2->moveCursor(QTextCursor::End);
  QTest::keyClicks(text2, QStringLiteral("G-Water"));
  demo().click("Command7");
  QTRY_VERIFY(setWarn->isVisible());
  demo().click("Label4_0");
  QTRY_VERIFY(!setWarn->isVisible());
  QCOMPARE(readBytes(burma), std::string("T-Burma\r\nG-Water\r\n"));
}

void PagesTest::aClickedScriptIsPreviewedAndRun() {
  startWithMusic();
  QVERIFY(demo().clickListItem("File10", QStringLiteral("Normandy Invasion.set")));
  auto* list2 = find<QListWidget>("List2");
  QTRY_COMPARE(list2->count(), 6);
  QCOMPARE(list2->item(0)->text(), QStringLiteral("T-Normandy"));
  QCOMPARE(list2->item(5)->text(), QString());
  demo().click("Command6");
  QVERIFY(fs::exists(game() / "normandy.ter"));
  QVERIFY(fs::exists(game() / "water01.tpc"));
  QVERIFY(!fs::exists(game() / "burma.ter"));
  QCOMPARE(find<QPlainTextEdit>("Text2")->toPlainText(),
           QStringLiteral("T-Normandy\nN-Engine Sounds\nG-Trees\nG-Water\nMustang Invasion\n"));
}

void PagesTest::clickingAMusicSetSwitchesTheFolders() {
  startWithMusic();
  auto* list4 = find<QListWidget>("List4");
  auto* label11 = find<QLabel>("Label11");
  QCOMPARE(list4->count(), 2);
  QCOMPARE(label11->text(), QStringLiteral("B"));
  QVERIFY(demo().clickListItem("List4", QStringLiteral("C")));
  QTRY_COMPARE(label11->text(), QStringLiteral("C"));
  QCOMPARE(list4->item(0)->text(), QStringLiteral("A"));
  QCOMPARE(list4->item(1)->text(), QStringLiteral("B"));
  QCOMPARE(readBytes(game() / "Music" / "c.bgm"), std::string("c"));
  QCOMPARE(readBytes(game() / "B" / "b.bgm"), std::string("b"));
  QVERIFY(!fs::exists(game() / "C"));
}

KVO_WINDOW_TEST_MAIN(PagesTest, 1366, 768)
#include "pages_test.moc"
