#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/selector.h"
#include "demo_game.h"
#include "ui/main_window.h"
#include "ui/picture_box.h"
#include "ui/qt_shell.h"

namespace fs = std::filesystem;

class CompleteSetsPageTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void aPackageIsPreviewedEntryByEntryAndLoaded();
  void aPackageNameOnTheClipboardIsLoadedByPassingOverTheLabel();
  void postingPutsThePackageNameOnTheClipboard();

 private:
  template <typename Widget>
  Widget* find(const QString& name) {
    Widget* widget = window_->findChild<Widget*>(name);
    if (!widget) qFatal("no widget %s", qPrintable(name));
    return widget;
  }
  void clickItem(const QString& list, const QString& text);
  void passOver(QWidget* widget);
  bool loaded(const std::string& folder) const;

  std::unique_ptr<QTemporaryDir> dir_;
  fs::path game_;
  std::unique_ptr<kvo::ui::QtShell> shell_;
  std::unique_ptr<kvo::Selector> selector_;
  std::unique_ptr<kvo::ui::MainWindow> window_;
};

void CompleteSetsPageTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  game_ = fs::path(dir_->path().toStdString()) / "EAW";
  QVERIFY(!kvo::demo::writeDemoGameFolder(game_));
  fs::create_directories(game_ / "KVO128" / "S-Desert");
  std::ofstream(game_ / "KVO128" / "S-Desert" / "desert.tpc", std::ios::binary) << "sand";
  std::ofstream(game_ / "KVO128" / "Autoscripts" / "Speedy.set", std::ios::binary)
      << "Speedy set\r\n*****\r\nT-Normandy\r\nS-Desert\r\n";
  QGuiApplication::clipboard()->clear();
  shell_ = std::make_unique<kvo::ui::QtShell>();
  selector_ = std::make_unique<kvo::Selector>(*shell_);
  QCOMPARE(selector_->startUp(game_, {1280, 1024}), kvo::StartupOutcome::Ready);
  window_ = std::make_unique<kvo::ui::MainWindow>(*selector_);
  shell_->attach(*window_);
  window_->refresh();
  window_->show();
  find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void CompleteSetsPageTest::cleanup() {
  window_.reset();
  selector_.reset();
  shell_.reset();
  dir_.reset();
}

void CompleteSetsPageTest::clickItem(const QString& list, const QString& text) {
  auto* widget = find<QListWidget>(list);
  const QList<QListWidgetItem*> items = widget->findItems(text, Qt::MatchExactly);
  QCOMPARE(items.size(), 1);
  widget->scrollToItem(items.first());
  QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                    widget->visualItemRect(items.first()).center());
}

// The pointer comes from elsewhere in the window and crosses the widget.
void CompleteSetsPageTest::passOver(QWidget* widget) {
  QTest::mouseMove(find<QPushButton>(QStringLiteral("LoadQ")));
  QTest::mouseMove(widget, widget->rect().center());
  QTest::mouseMove(widget, widget->rect().center() + QPoint(2, 1));
}

bool CompleteSetsPageTest::loaded(const std::string& folder) const {
  const auto& grid = selector_->state.Unigrid;
  return grid.text(grid.findRow(1, folder), 2) == "S";
}

void CompleteSetsPageTest::aPackageIsPreviewedEntryByEntryAndLoaded() {
  auto* list9 = find<QListWidget>(QStringLiteral("List9"));
  auto* label51 = find<QLabel>(QStringLiteral("Label51"));
  auto* image4 = find<kvo::ui::PictureBox>(QStringLiteral("Image4"));
  clickItem(QStringLiteral("GUPC"), QStringLiteral("Europe 1942.set"));
  QTRY_COMPARE(list9->count(), 6);
  QCOMPARE(label51->text(), QStringLiteral("Europe in 1942 with the career of that year\n"));
  QCOMPARE(image4->pictureFile(), game_ / "KVO128" / "W-Europe1942" / "mypic");
  QVERIFY(image4->hasPicture());

  clickItem(QStringLiteral("List9"), QStringLiteral("H-Blue Sky"));
  QTRY_COMPARE(label51->text(),
               QStringLiteral("A clear blue sky.\nSynthetic demo content made by kvo-demo.\n"));
  QVERIFY(!image4->hasPicture());

  clickItem(QStringLiteral("GUPC"), QStringLiteral("Speedy.set"));
  QTRY_COMPARE(list9->count(), 4);
  QCOMPARE(label51->text(), QStringLiteral("Speedy set\n"));
  QCOMPARE(image4->pictureFile(), game_ / "newpic");
  QTest::mouseClick(find<QPushButton>(QStringLiteral("LoadQ")), Qt::LeftButton);
  QVERIFY(loaded("T-Normandy"));
  QVERIFY(loaded("S-Desert"));
  QVERIFY(fs::exists(game_ / "desert.tpc"));
}

void CompleteSetsPageTest::aPackageNameOnTheClipboardIsLoadedByPassingOverTheLabel() {
  auto* label29 = find<QLabel>(QStringLiteral("Label29"));
  QCOMPARE(label29->text(), QStringLiteral("Online client AutoLoad area"));
  QGuiApplication::clipboard()->setText(QStringLiteral("Speedy.set"));
  passOver(label29);
  QTRY_COMPARE(label29->text(), QStringLiteral("Loading Speedy.set"));
  QCOMPARE(find<QListWidget>(QStringLiteral("GUPC"))->currentItem()->text(),
           QStringLiteral("Speedy.set"));
  QCOMPARE(find<QListWidget>(QStringLiteral("List9"))->count(), 4);
  QVERIFY(loaded("T-Normandy"));
  QVERIFY(fs::exists(game_ / "normandy.ter"));
  QVERIFY(QGuiApplication::clipboard()->text().isEmpty());

  QGuiApplication::clipboard()->setText(QStringLiteral("no such package"));
  passOver(label29);
  QTRY_COMPARE(label29->text(), QStringLiteral("Online client AutoLoad area"));
  QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
}

void CompleteSetsPageTest::postingPutsThePackageNameOnTheClipboard() {
  clickItem(QStringLiteral("GUPC"), QStringLiteral("Speedy.set"));
  QTest::mouseClick(find<QCheckBox>(QStringLiteral("Check2")), Qt::LeftButton);
  QVERIFY(selector_->state.Check2);
  QTest::mouseClick(find<QPushButton>(QStringLiteral("LoadQ")), Qt::LeftButton);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Speedy.set"));
  // The posting selector leaves its own hand-over alone.
  auto* label29 = find<QLabel>(QStringLiteral("Label29"));
  passOver(label29);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Speedy.set"));
  QCOMPARE(label29->text(), QStringLiteral("Online client AutoLoad area"));
}

QTEST_MAIN(CompleteSetsPageTest)
#include "complete_sets_page_test.moc"
