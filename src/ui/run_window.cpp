#include "ui/run_window.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QStatusBar>

#include "app/exit_status.h"
#include "app/selector.h"
#include "ui/game_dir_picker.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"
#include "ui/screen_fit.h"
#include "ui/view_sync.h"

namespace kvo {

int runSelectorWindow(int& argc, char** argv, const std::filesystem::path& gameDir,
                      bool askGameDir) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("KVO"));
  // The installed menu entry and icon carry this name; desktops match the window to them.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.kvo"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.example.kvo")));
  std::filesystem::path chosenDir = gameDir;
  if (askGameDir) {
    auto picked = kvo::ui::askForGameDir();
    if (!picked) return 0;
    chosenDir = std::move(*picked);
  }
  kvo::ui::QtShell shell;
  kvo::Selector selector(shell);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const auto outcome =
      selector.startUp(chosenDir, screen ? kvo::ui::screenSize(*screen) : kvo::ScreenSize{});
  // The core already told the player why the window cannot open.
  if (outcome != kvo::StartupOutcome::Ready) return kvo::startupExitStatus(outcome);
  kvo::ui::MainWindow window(selector);
  shell.attach(window);
  if (!selector.startupNote().empty()) {
    window.statusBar()->showMessage(kvo::ui::toQString(selector.startupNote()));
  }
  window.refresh();
  if (screen) kvo::ui::fitOnScreen(window, *screen);
  window.show();
  return QApplication::exec();
}

}  // namespace kvo
