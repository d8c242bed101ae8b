#pragma once

// What the window tests share: a demo game folder with the whole window on it, on one screen of
// 1920 x 1080 device pixels scaled to 150%, the smallest screen the window is walked on.

#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/selector.h"
#include "demo_game.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"
#include "ui/screen_fit.h"

namespace kvo::test {

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs the program offscreen on one screen of 1920 x 1080 device pixels with window frames,
// scaled to 150%, so that layouts meet the sizes players have. Call before the QApplication
// exists. Qt splits the platform's arguments at every colon, a drive letter's too, so the
// screen file goes by its bare name from the temporary folder, made current here; returns the
// folder that was current, for the caller to restore once the application has started.
inline QString useScaledOffscreenScreen() {
  const QString startFolder = QDir::currentPath();
  qputenv("QT_SCALE_FACTOR", "1.5");
  // Kept for the life of the test program, which reads it when the application starts.
  static QTemporaryFile config(QDir::temp().filePath(QStringLiteral("kvo-screen-XXXXXX.json")));
  if (!config.open()) return startFolder;
  config.write(R"({"windowFrameMargins": true, "screens": [{"name": "screen", "x": 0, "y": 0,)"
               R"( "width": 1920, "height": 1080, "logicalDpi": 96}]})");
  config.flush();
  QDir::setCurrent(QDir::tempPath());
  qputenv("QT_QPA_PLATFORM",
          "offscreen:configfile=" + QFileInfo(config.fileName()).fileName().toUtf8());
  return startFolder;
}

// The window's own shell, except that messages and questions are kept instead of shown (a box
// the test does not expect must fail it, not block it), questions are answered yes, and the
// programs it is asked to start are noted instead of started.
class KeepingShell final : public kvo::Shell {
 public:
  void attach(QMainWindow& window) { qt_.attach(window); }
  void message(std::string_view text, kvo::Icon, std::string_view) override {
    messages.emplace_back(text);
  }
  bool ask(std::string_view text, std::string_view) override {
    messages.emplace_back(text);
    return true;
  }
  void status(std::string_view text) override { qt_.status(text); }
  void setCaption(std::string_view caption) override { qt_.setCaption(caption); }
  void progress(int done, int total) override { qt_.progress(done, total); }
  void changeStarts(const kvo::Changes& changes) override { qt_.changeStarts(changes); }
  std::string clipboardText() override { return qt_.clipboardText(); }
  void setClipboardText(std::string_view text) override { qt_.setClipboardText(text); }
  bool startProgram(const fs::path& exe, const fs::path&, std::string&) override {
    started.push_back(exe);
    return true;
  }
  void minimise() override {}
  void quit() override {}

  std::vector<std::string> messages;
  std::vector<fs::path> started;

 private:
  kvo::ui::QtShell qt_;
};

// A demo game folder of its own with the selector and its window on it.
struct DemoWindow {
  QTemporaryDir dir;
  fs::path game;
  KeepingShell shell;
  kvo::Selector selector{shell};
  std::unique_ptr<kvo::ui::MainWindow> window;

  // Writes the demo folder, lets `arrange` change it, and starts the window as a player's
  // start places it; false, with the reason logged, when any step fails.
  bool start(const std::function<void(const fs::path&)>& arrange = {},
             const kvo::demo::DemoOptions& options = {}) {
    game = fs::path(dir.path().toStdString()) / "EAW";
    if (!dir.isValid() || kvo::demo::writeDemoGameFolder(game, options)) {
      qWarning("could not write the demo game folder");
      return false;
    }
    if (arrange) arrange(game);
    const QScreen& screen = *QGuiApplication::primaryScreen();
    if (selector.startUp(game, kvo::ui::screenSize(screen)) != kvo::StartupOutcome::Ready) {
      qWarning("start-up refused the demo game folder");
      return false;
    }
    window = std::make_unique<kvo::ui::MainWindow>(selector);
    shell.attach(*window);
    window->refresh();
    kvo::ui::fitOnScreen(*window, screen);
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window.get());
  }
};

}  // namespace kvo::test
