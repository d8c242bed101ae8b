// The window's start as a player's start runs it, timed from the first line of main() until the
// window is on the screen: the toolkit, the selector's start-up on GAME, the five tabs, the fit
// to the screen and the first paint. Runs offscreen on one screen of 1920 x 1080 pixels scaled
// to 150% unless QT_QPA_PLATFORM says otherwise, and checks that the window fits that screen.
// Prints one line "shown_ms=... fits=0|1 window=WxH screen=WxH scale=..." (window with its frame
// and the screen's free area, in scaled pixels) and exits 1 when the window does not fit or the
// start-up fails. bench/window_startup.sh runs it beside the platform's tools.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryFile>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/selector.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"
#include "ui/screen_fit.h"

namespace {

using Clock = std::chrono::steady_clock;

// The screen of the configuration file `config`, for the offscreen platform plugin.
void useScaledOffscreenScreen(QTemporaryFile& config) {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !config.open()) return;
  qputenv("QT_SCALE_FACTOR", "1.5");
  config.write(R"({"windowFrameMargins": true, "screens": [{"name": "screen", "x": 0, "y": 0,)"
               R"( "width": 1920, "height": 1080, "logicalDpi": 96}]})");
  config.flush();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());
}

// Whether `window` and its frame lie in the free area of its screen, at least as large as its
// layout needs.
bool fitsItsScreen(const QWidget& window) {
  const QRect area = window.screen()->availableGeometry();
  return area.contains(window.frameGeometry()) &&
         window.size().expandedTo(window.minimumSizeHint()) == window.size();
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = Clock::now();
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_window_startup GAME\n");
    return 2;
  }
  QTemporaryFile config(QDir::temp().filePath(QStringLiteral("kvo-bench-screen-XXXXXX.json")));
  useScaledOffscreenScreen(config);
  QApplication app(argc, argv);
  kvo::ui::QtShell shell;
  kvo::Selector selector(shell);
  const QScreen& screen = *QGuiApplication::primaryScreen();
  if (selector.startUp(argv[1], kvo::ui::screenSize(screen)) != kvo::StartupOutcome::Ready) {
    std::fprintf(stderr, "start-up refused %s\n", argv[1]);
    return 1;
  }
  kvo::ui::MainWindow window(selector);
  shell.attach(window);
  window.refresh();
  kvo::ui::fitOnScreen(window, screen);
  window.show();
  while (!window.windowHandle()->isExposed()) QCoreApplication::processEvents();
  QCoreApplication::processEvents();  // the first paint
  const auto shown = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  const bool fits = fitsItsScreen(window);
  const QSize size = window.frameGeometry().size();
  const QSize room = screen.availableGeometry().size();
  std::printf("shown_ms=%.1f fits=%d window=%dx%d screen=%dx%d scale=%.2f\n", shown, fits ? 1 : 0,
              size.width(), size.height(), room.width(), room.height(), screen.devicePixelRatio());
  return fits ? 0 : 1;
}
