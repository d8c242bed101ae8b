#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <filesystem>

#include "demo_window.h"

namespace fs = std::filesystem;
using kvo::test::DemoWindow;
using kvo::ui::GridView;

class SkinGridTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void doubleClickLoadsAndUnloadsASkin();
  void enterAfterAClickLoadsTheSkin();
  void filterHighlightFollowsTheClick();
  void everyColumnShowsItsTextWhole();
  void renamingALoadedSkinKeepsItLoaded();

 private:
  GridView& sk1() { return demo_->grid("SK1"); }
  std::unique_ptr<DemoWindow> demo_;
};

void SkinGridTest::init() {
  demo_ = std::make_unique<DemoWindow>();
  QVERIFY(demo_->ok());
  QVERIFY(demo_->showTab(QStringLiteral("Planes and Skins")));
  // Start-up shows only the loaded skins, and the demo has none loaded.
  QVERIFY(demo_->clickListItem("List1", QStringLiteral("ALL")));
}

void SkinGridTest::cleanup() {
  demo_.reset();
}

void SkinGridTest::doubleClickLoadsAndUnloadsASkin() {
  const QModelIndex mustang = DemoWindow::cell(sk1(), 0, QStringLiteral("Mustang Invasion"));
  QVERIFY(mustang.isValid());
  // Through the window system, so that the two presses make a double-click as a mouse's do.
  const QPoint at = sk1().viewport()->mapTo(&demo_->window(), sk1().visualRect(mustang).center());
  QTest::mouseDClick(demo_->window().windowHandle(), Qt::LeftButton, {}, at);
  QVERIFY(fs::exists(demo_->game() / "pp51d.3dz"));
  QVERIFY(fs::exists(demo_->game() / "pp51d.tpc"));
  QCOMPARE(mustang.siblingAtColumn(1).data().toString(), QStringLiteral("S"));

  QTest::mouseDClick(demo_->window().windowHandle(), Qt::LeftButton, {}, at);
  QVERIFY(!fs::exists(demo_->game() / "pp51d.3dz"));
  QCOMPARE(mustang.siblingAtColumn(1).data().toString(), QString());
}

void SkinGridTest::enterAfterAClickLoadsTheSkin() {
  const QModelIndex spit = DemoWindow::cell(sk1(), 0, QStringLiteral("Spit Mk IX Desert"));
  QTest::mouseClick(sk1().viewport(), Qt::LeftButton, {}, sk1().visualRect(spit).center());
  auto* text3 = demo_->find<QLineEdit>(QStringLiteral("Text3"));
  QCOMPARE(text3->text(), QStringLiteral("Spit Mk IX Desert"));
  QCOMPARE(QApplication::focusWidget(), &sk1());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(fs::exists(demo_->game() / "psp09.3dz"));
  QCOMPARE(text3->text(), QStringLiteral("Spit Mk IX Desert"));
}

void SkinGridTest::filterHighlightFollowsTheClick() {
  auto* list1 = demo_->find<QListWidget>(QStringLiteral("List1"));
  QCOMPARE(list1->currentItem()->text(), QStringLiteral("ALL"));
  QVERIFY(demo_->clickListItem("List1", QStringLiteral("109G")));
  QCOMPARE(list1->currentItem()->text(), QStringLiteral("109G"));
  QCOMPARE(sk1().model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("109G"));
  QStringList shown;
  for (int row = 0; row < sk1().model()->rowCount(); ++row) {
    if (!sk1().isRowHidden(row)) shown << sk1().model()->index(row, 0).data().toString();
  }
  QCOMPARE(shown, (QStringList{"Bf109G Tropical", "Bf109G Winter"}));
}

void SkinGridTest::everyColumnShowsItsTextWhole() {
  const QModelIndex tropical = DemoWindow::cell(sk1(), 0, QStringLiteral("Bf109G Tropical"));
  QTest::mouseDClick(
      demo_->window().windowHandle(), Qt::LeftButton, {},
      sk1().viewport()->mapTo(&demo_->window(), sk1().visualRect(tropical).center()));
  QCOMPARE(tropical.siblingAtColumn(1).data().toString(), QStringLiteral("S"));
  QCOMPARE(tropical.siblingAtColumn(2).data().toString(), QStringLiteral("109G"));
  for (int row = 0; row < sk1().model()->rowCount(); ++row) {
    for (int col = 0; col < 3; ++col) {
      const QModelIndex index = sk1().model()->index(row, col);
      QVERIFY2(kvo::test::showsWhole(sk1(), index), qPrintable(index.data().toString()));
    }
  }
  QVERIFY(!sk1().horizontalScrollBar()->isVisible());
}

void SkinGridTest::renamingALoadedSkinKeepsItLoaded() {
  const QModelIndex spit = DemoWindow::cell(sk1(), 0, QStringLiteral("Spit Mk IX Desert"));
  QTest::mouseClick(sk1().viewport(), Qt::LeftButton, {}, sk1().visualRect(spit).center());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCOMPARE(demo_->status(), QStringLiteral("Loaded Spit Mk IX Desert."));
  auto* text3 = demo_->find<QLineEdit>(QStringLiteral("Text3"));
  text3->selectAll();
  QTest::keyClicks(text3, QStringLiteral("Spit Desert"));
  QTest::mouseClick(demo_->find<QPushButton>(QStringLiteral("Command12")), Qt::LeftButton);
  QVERIFY(fs::is_directory(demo_->game() / "KVO128" / "Skinfolder" / "Spit Desert"));
  QCOMPARE(demo_->status(),
           QStringLiteral("Renamed the skin folder Spit Mk IX Desert to Spit Desert."));
  QCOMPARE(spit.siblingAtColumn(1).data().toString(), QStringLiteral("S"));
}

int main(int argc, char** argv) {
  kvo::test::useOffscreenScreen(1366, 768);
  QApplication app(argc, argv);
  SkinGridTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "skin_grid_test.moc"
