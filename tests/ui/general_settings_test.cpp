#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
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
#include "ui/main_window.h"
#include "ui/qt_shell.h"

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

class GeneralSettingsTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void enterInWidthBoxSavesTheIni();
  void statusBarSaysWhatEnterSaved();
  void valueLeftWithoutEnterIsNamedAsUnsaved();
  void viewerShowsSavesAndHides();
  void launchListFollowsTheSelectionOnly();

 private:
  template <typename Widget>
  Widget* find(const QString& name) {
    return window_->findChild<Widget*>(name);
  }

  std::unique_ptr<QTemporaryDir> dir_;
  fs::path ini_;
  std::unique_ptr<kvo::ui::QtShell> shell_;
  std::unique_ptr<kvo::Selector> selector_;
  std::unique_ptr<kvo::ui::MainWindow> window_;
};

void GeneralSettingsTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  const fs::path game = dir_->path().toStdString();
  ini_ = game / "eaw.ini";
  writeBytes(game / "eaw.exe", "MZ");
  writeBytes(game / "setup.exe", "MZ");
  writeBytes(ini_, "[Video]\r\nPilot=Ren\xe9\r\nWidth=800\r\nHeight=600\r\nDay=3");
  shell_ = std::make_unique<kvo::ui::QtShell>();
  selector_ = std::make_unique<kvo::Selector>(*shell_);
  QCOMPARE(selector_->startUp(game), kvo::StartupOutcome::Ready);
  window_ = std::make_unique<kvo::ui::MainWindow>(*selector_);
  shell_->attach(*window_);
  window_->refresh();
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void GeneralSettingsTest::cleanup() {
  window_.reset();
  selector_.reset();
  shell_.reset();
  dir_.reset();
}

void GeneralSettingsTest::enterInWidthBoxSavesTheIni() {
  auto* width = find<QLineEdit>(QStringLiteral("Text5"));
  QVERIFY(width);
  QCOMPARE(width->text(), QStringLiteral("800"));
  QCOMPARE(find<QLineEdit>(QStringLiteral("Text6"))->text(), QStringLiteral("600"));
  width->setFocus();
  width->selectAll();
  QTest::keyClicks(width, QStringLiteral("1024"));
  QCOMPARE(readBytes(ini_),
           std::string("[Video]\r\nPilot=Ren\xe9\r\nWidth=800\r\nHeight=600\r\nDay=3"));
  QTest::keyClick(width, Qt::Key_Return);
  QCOMPARE(readBytes(ini_),
           std::string("[Video]\r\nPilot=Ren\xe9\r\nWidth=1024\r\nHeight=600\r\nDay=3\r\n"));
  QCOMPARE(width->text(), QStringLiteral("1024"));
}

void GeneralSettingsTest::statusBarSaysWhatEnterSaved() {
  auto* width = find<QLineEdit>(QStringLiteral("Text5"));
  width->setFocus();
  width->selectAll();
  QTest::keyClicks(width, QStringLiteral("1024"));
  QTest::keyClick(width, Qt::Key_Return);
  QCOMPARE(window_->statusBar()->currentMessage(), QStringLiteral("Saved Width=1024 in eaw.ini."));
  // Enter again changes nothing, and says so.
  QTest::keyClick(width, Qt::Key_Return);
  QCOMPARE(window_->statusBar()->currentMessage(),
           QStringLiteral("eaw.ini already holds these settings."));
}

void GeneralSettingsTest::valueLeftWithoutEnterIsNamedAsUnsaved() {
  auto* width = find<QLineEdit>(QStringLiteral("Text5"));
  auto* height = find<QLineEdit>(QStringLiteral("Text6"));
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  width->setFocus();
  width->selectAll();
  QTest::keyClicks(width, QStringLiteral("640"));
  height->setFocus();
  QTRY_VERIFY(height->hasFocus());
  QCOMPARE(window_->statusBar()->currentMessage(),
           QStringLiteral("Width=640 is not saved yet: press Enter in its box to save it."));
  QCOMPARE(readBytes(ini_),
           std::string("[Video]\r\nPilot=Ren\xe9\r\nWidth=800\r\nHeight=600\r\nDay=3"));
}

void GeneralSettingsTest::viewerShowsSavesAndHides() {
  auto* frame = find<QGroupBox>(QStringLiteral("Frame21"));
  auto* text = find<QPlainTextEdit>(QStringLiteral("Text14"));
  QVERIFY(frame && text);
  QVERIFY(!frame->isVisible());
  QTest::mouseClick(find<QPushButton>(QStringLiteral("IniEdit")), Qt::LeftButton);
  QTRY_VERIFY(frame->isVisible());
  QCOMPARE(text->toPlainText(),
           QStringLiteral("[Video]\nPilot=Ren\u00e9\nWidth=800\nHeight=600\nDay=3\n"));

  // An edit by hand keeps the bytes of the lines it does not touch.
  text->setFocus();
  text->moveCursor(QTextCursor::End);
  QTest::keyClicks(text, QStringLiteral("Width=640"));
  QTest::mouseClick(find<QPushButton>(QStringLiteral("InSaver")), Qt::LeftButton);
  QCOMPARE(readBytes(ini_), std::string("[Video]\r\nPilot=Ren\xe9\r\nWidth=800\r\nHeight=600\r\n"
                                        "Day=3\r\nWidth=640\r\n"));
  QTRY_COMPARE(find<QLineEdit>(QStringLiteral("Text5"))->text(), QStringLiteral("640"));
  QVERIFY(frame->isVisible());

  QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(4, 4));
  QTRY_VERIFY(!frame->isVisible());
}

// Tabbing into the list makes its first program current without selecting it; the launch
// labels must still see no selection.
void GeneralSettingsTest::launchListFollowsTheSelectionOnly() {
  auto* list = find<QListWidget>(QStringLiteral("List6"));
  QVERIFY(list);
  QCOMPARE(list->count(), 2);
  find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(3);
  list->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(list->hasFocus());
  QCOMPARE(selector_->state.List6.index, -1);
  list->setCurrentRow(1);
  QCOMPARE(selector_->state.List6.index, 1);
  list->clearSelection();
  QCOMPARE(selector_->state.List6.index, -1);
}

QTEST_MAIN(GeneralSettingsTest)
#include "general_settings_test.moc"
