#include <QLabel>
#include <QPushButton>

#include "demo_window.h"

using kvo::test::DemoWindow;

// The window on a 1920 x 1080 screen scaled to 150%, as a laptop of today shows it.
class HighDpiTest final : public QObject {
  Q_OBJECT

 private slots:
  void windowButtonsAndArtCodesFitTheScaledScreen();
};

void HighDpiTest::windowButtonsAndArtCodesFitTheScaledScreen() {
  QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.5);
  DemoWindow demo;
  QVERIFY(demo.ok());
  // The game's Width and Height count device pixels, not the scaled ones.
  QCOMPARE(demo.find<QLabel>(QStringLiteral("Label18_0"))->text(), QStringLiteral("1920"));
  QCOMPARE(demo.find<QLabel>(QStringLiteral("Label18_1"))->text(), QStringLiteral("1080"));
  kvo::ui::MainWindow& window = demo.window();
  QVERIFY(kvo::test::fitsOnScreen(window));
  // Opening the eaw.ini viewer must not grow the window past the screen either.
  const QSize size = window.size();
  demo.click("IniEdit");
  QVERIFY(demo.find<QWidget>(QStringLiteral("Frame21"))->isVisible());
  QCOMPARE(window.size(), size);
  for (const char* name : {"Command1", "delmsn", "Command3", "Command8"}) {
    auto* button = demo.find<QPushButton>(QString::fromLatin1(name));
    QVERIFY2(window.rect().contains(QRect(button->mapTo(&window, QPoint()), button->size())), name);
  }

  QVERIFY(demo.showTab(QStringLiteral("Planes and Skins")));
  QVERIFY(demo.clickListItem("List1", QStringLiteral("ALL")));
  kvo::ui::GridView& sk1 = demo.grid("SK1");
  const QModelIndex code = DemoWindow::cell(sk1, 2, QStringLiteral("109G"));
  QVERIFY(code.isValid());
  QVERIFY(kvo::test::showsWhole(sk1, code));
}

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "1.5");
  kvo::test::useOffscreenScreen(1920, 1080);
  QApplication app(argc, argv);
  HighDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "high_dpi_test.moc"
