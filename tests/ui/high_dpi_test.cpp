#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "demo_window.h"

using kvo::test::DemoWindow;

// The window on a 1920 x 1080 screen scaled to 150%, as a laptop of today shows it.
class HighDpiTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void naturalResolutionCountsDevicePixels();
  void windowAndItsButtonsFitTheScreen();
  void artCodeShowsWhole();
  void everyTabRendersToAScreenshot();

 private:
  std::unique_ptr<DemoWindow> demo_;
};

void HighDpiTest::init() {
  QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.5);
  demo_ = std::make_unique<DemoWindow>();
  QVERIFY(demo_->ok());
}

void HighDpiTest::cleanup() {
  demo_.reset();
}

// The game's Width and Height count device pixels, not the scaled ones.
void HighDpiTest::naturalResolutionCountsDevicePixels() {
  QCOMPARE(demo_->find<QLabel>(QStringLiteral("Label18_0"))->text(), QStringLiteral("1920"));
  QCOMPARE(demo_->find<QLabel>(QStringLiteral("Label18_1"))->text(), QStringLiteral("1080"));
}

void HighDpiTest::windowAndItsButtonsFitTheScreen() {
  kvo::ui::MainWindow& window = demo_->window();
  QVERIFY(kvo::test::fitsOnScreen(window));
  // Opening the eaw.ini viewer must not grow the window past the screen either.
  const QSize size = window.size();
  QTest::mouseClick(demo_->find<QPushButton>(QStringLiteral("IniEdit")), Qt::LeftButton);
  QVERIFY(demo_->find<QWidget>(QStringLiteral("Frame21"))->isVisible());
  QCOMPARE(window.size(), size);
  for (const char* name : {"Command1", "delmsn", "Command3", "Command8"}) {
    auto* button = demo_->find<QPushButton>(QString::fromLatin1(name));
    const QRect inWindow(button->mapTo(&window, QPoint()), button->size());
    QVERIFY2(window.rect().contains(inWindow), name);
  }
}

void HighDpiTest::artCodeShowsWhole() {
  QVERIFY(demo_->showTab(QStringLiteral("Planes and Skins")));
  QVERIFY(demo_->clickListItem("List1", QStringLiteral("ALL")));
  kvo::ui::GridView& sk1 = demo_->grid("SK1");
  const QModelIndex code = DemoWindow::cell(sk1, 2, QStringLiteral("109G"));
  QVERIFY(code.isValid());
  QVERIFY(kvo::test::showsWhole(sk1, code));
}

void HighDpiTest::everyTabRendersToAScreenshot() {
  QVERIFY(kvo::test::saveTabScreenshots(demo_->window(), QStringLiteral("-150")));
}

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "1.5");
  kvo::test::useOffscreenScreen(1920, 1080);
  QApplication app(argc, argv);
  HighDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "high_dpi_test.moc"
