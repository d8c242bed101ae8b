#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/selector.h"
#include "demo_game.h"
#include "ui/clickable_label.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

class AutoscriptsPageTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void saveAsksBeforeOverwritingAndWritesTheEditedText();
  void aClickedScriptIsPreviewedAndRun();
  void clickingAMusicSetSwitchesTheFolders();

 private:
  template <typename Widget>
  Widget* find(const QString& name) {
    Widget* widget = window_->findChild<Widget*>(name);
    if (!widget) qFatal("no widget %s", qPrintable(name));
    return widget;
  }
  void clickItem(const QString& list, const QString& text);
  fs::path scripts() const { return game_ / "KVO128" / "Autoscripts"; }

  std::unique_ptr<QTemporaryDir> dir_;
  fs::path game_;
  std::unique_ptr<kvo::ui::QtShell> shell_;
  std::unique_ptr<kvo::Selector> selector_;
  std::unique_ptr<kvo::ui::MainWindow> window_;
};

void AutoscriptsPageTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  game_ = fs::path(dir_->path().toStdString()) / "EAW";
  QVERIFY(!kvo::demo::writeDemoGameFolder(game_));
  // The music example: A and C wait in their folders, B plays from Music.
  for (const char* set : {"Music", "Big Band", "Quiet Skies"}) fs::remove_all(game_ / set);
  writeBytes(game_ / "Music.ini", "A\r\nB\r\nC\r\n");
  writeBytes(game_ / "A" / "a.bgm", "a");
  writeBytes(game_ / "Music" / "b.bgm", "b");
  writeBytes(game_ / "C" / "c.bgm", "c");
  writeBytes(game_ / "KVO128" / "FoldersLoaded.txt", "T-Burma\r\n\r\n");
  shell_ = std::make_unique<kvo::ui::QtShell>();
  selector_ = std::make_unique<kvo::Selector>(*shell_);
  QCOMPARE(selector_->startUp(game_, {1280, 1024}), kvo::StartupOutcome::Ready);
  window_ = std::make_unique<kvo::ui::MainWindow>(*selector_);
  shell_->attach(*window_);
  window_->refresh();
  window_->show();
  find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(3);
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void AutoscriptsPageTest::cleanup() {
  window_.reset();
  selector_.reset();
  shell_.reset();
  dir_.reset();
}

void AutoscriptsPageTest::clickItem(const QString& list, const QString& text) {
  auto* widget = find<QListWidget>(list);
  const QList<QListWidgetItem*> items = widget->findItems(text, Qt::MatchExactly);
  QCOMPARE(items.size(), 1);
  widget->scrollToItem(items.first());
  QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                    widget->visualItemRect(items.first()).center());
}

void AutoscriptsPageTest::saveAsksBeforeOverwritingAndWritesTheEditedText() {
  auto* text1 = find<QLineEdit>(QStringLiteral("Text1"));
  auto* text2 = find<QPlainTextEdit>(QStringLiteral("Text2"));
  auto* setWarn = find<QFrame>(QStringLiteral("SetWarn"));
  QCOMPARE(text1->text(), QStringLiteral("Enter the filename"));
  QCOMPARE(text2->toPlainText(), QStringLiteral("T-Burma\n"));
  text1->selectAll();
  QTest::keyClicks(text1, QStringLiteral("Burma"));
  QTest::mouseClick(find<QPushButton>(QStringLiteral("Command7")), Qt::LeftButton);
  QCOMPARE(readBytes(scripts() / "Burma.set"), std::string("T-Burma\r\n\r\n"));
  QVERIFY(!find<QListWidget>(QStringLiteral("File10"))
               ->findItems(QStringLiteral("Burma.set"), Qt::MatchExactly)
               .isEmpty());

  QTest::mouseClick(find<QPushButton>(QStringLiteral("Command7")), Qt::LeftButton);
  QTRY_VERIFY(setWarn->isVisible());
  QTest::mouseClick(find<kvo::ui::ClickableLabel>(QStringLiteral("Label4_1")), Qt::LeftButton);
  QTRY_VERIFY(!setWarn->isVisible());
  QCOMPARE(readBytes(scripts() / "Burma.set"), std::string("T-Burma\r\n\r\n"));

  text2->setFocus();
  text2->moveCursor(QTextCursor::End);
  QTest::keyClicks(text2, QStringLiteral("G-Water"));
  QTest::mouseClick(find<QPushButton>(QStringLiteral("Command7")), Qt::LeftButton);
  QTRY_VERIFY(setWarn->isVisible());
  QTest::mouseClick(find<kvo::ui::ClickableLabel>(QStringLiteral("Label4_0")), Qt::LeftButton);
  QTRY_VERIFY(!setWarn->isVisible());
  QCOMPARE(readBytes(scripts() / "Burma.set"), std::string("T-Burma\r\nG-Water\r\n"));
}

void AutoscriptsPageTest::aClickedScriptIsPreviewedAndRun() {
  clickItem(QStringLiteral("File10"), QStringLiteral("Normandy Invasion.set"));
  auto* list2 = find<QListWidget>(QStringLiteral("List2"));
  QTRY_COMPARE(list2->count(), 6);
  QCOMPARE(list2->item(0)->text(), QStringLiteral("T-Normandy"));
  QCOMPARE(list2->item(5)->text(), QString());
  QTest::mouseClick(find<QPushButton>(QStringLiteral("Command6")), Qt::LeftButton);
  QVERIFY(fs::exists(game_ / "normandy.ter"));
  QVERIFY(fs::exists(game_ / "water01.tpc"));
  QVERIFY(!fs::exists(game_ / "burma.ter"));
  QCOMPARE(find<QPlainTextEdit>(QStringLiteral("Text2"))->toPlainText(),
           QStringLiteral("T-Normandy\nN-Engine Sounds\nG-Trees\nG-Water\nMustang Invasion\n"));
}

void AutoscriptsPageTest::clickingAMusicSetSwitchesTheFolders() {
  auto* list4 = find<QListWidget>(QStringLiteral("List4"));
  auto* label11 = find<QLabel>(QStringLiteral("Label11"));
  QCOMPARE(list4->count(), 2);
  QCOMPARE(label11->text(), QStringLiteral("B"));
  clickItem(QStringLiteral("List4"), QStringLiteral("C"));
  QTRY_COMPARE(label11->text(), QStringLiteral("C"));
  QCOMPARE(list4->item(0)->text(), QStringLiteral("A"));
  QCOMPARE(list4->item(1)->text(), QStringLiteral("B"));
  QCOMPARE(readBytes(game_ / "Music" / "c.bgm"), std::string("c"));
  QCOMPARE(readBytes(game_ / "B" / "b.bgm"), std::string("b"));
  QVERIFY(!fs::exists(game_ / "C"));
}

QTEST_MAIN(AutoscriptsPageTest)
#include "autoscripts_page_test.moc"
