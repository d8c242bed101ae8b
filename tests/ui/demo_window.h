#pragma once

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QListWidget>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/selector.h"
#include "demo_game.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"
#include "ui/screen_fit.h"

namespace kvo::test {

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Gives the offscreen platform one screen of `width` x `height` device pixels with window
// frames, so that layouts meet the sizes players have. Call before the QApplication exists.
inline void useOffscreenScreen(int width, int height) {
  if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen")) return;
  // Kept for the life of the test program, which reads it when the application starts.
  static QTemporaryFile config(QDir::temp().filePath(QStringLiteral("kvo-screen-XXXXXX.json")));
  if (!config.open()) return;
  config.write(QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "screen",)"
                              R"( "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96}]})")
                   .arg(width)
                   .arg(height)
                   .toUtf8());
  config.flush();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());
}

// True when `view` shows the text of `index` whole: inside the viewport and not cut short
// with an ellipsis, with the margins the style keeps around a cell's text.
inline bool showsWhole(const ui::GridView& view, const QModelIndex& index) {
  const QString text = index.data().toString();
  const QRect rect = view.visualRect(index);
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  const QFontMetrics metrics(view.font());
  const bool inside =
      index.isValid() && rect.left() >= 0 && rect.right() < view.viewport()->width();
  return inside && metrics.elidedText(text, Qt::ElideRight, rect.width() - 2 * margin) == text;
}

// True when `window` with its frame lies inside the free area of its screen and is large
// enough for the least its layout needs, so that no control is cut off.
inline bool fitsOnScreen(const QWidget& window) {
  const QRect area = window.screen()->availableGeometry();
  const QSize least = window.minimumSizeHint();
  return area.contains(window.frameGeometry()) && least.width() <= window.width() &&
         least.height() <= window.height();
}

// The window's own shell, except that messages and questions are kept instead of shown: a
// box the test does not expect must fail it, not block it. Questions are answered yes.
class KeepingShell final : public Shell {
 public:
  void attach(QMainWindow& window) { qt_.attach(window); }
  void message(std::string_view text, Icon, std::string_view) override {
    messages.emplace_back(text);
  }
  bool ask(std::string_view text, std::string_view) override {
    messages.emplace_back(text);
    return true;
  }
  void setCaption(std::string_view caption) override { qt_.setCaption(caption); }
  void progress(int done, int total) override { qt_.progress(done, total); }
  std::string clipboardText() override { return qt_.clipboardText(); }
  void setClipboardText(std::string_view text) override { qt_.setClipboardText(text); }
  bool startProgram(const std::filesystem::path&, const std::filesystem::path&,
                    std::string&) override {
    return false;
  }
  void minimise() override {}
  void quit() override {}

  std::vector<std::string> messages;

 private:
  ui::QtShell qt_;
};

// The selector's window on a fresh demo game folder, placed as a player's start places it.
class DemoWindow final {
 public:
  using Arrange = std::function<void(const std::filesystem::path&)>;
  // `arrange` changes the demo folder before the selector starts on it.
  explicit DemoWindow(const demo::DemoOptions& options = {}, const Arrange& arrange = {}) {
    game_ = std::filesystem::path(dir_.path().toStdString()) / "EAW";
    ok_ = dir_.isValid() && !demo::writeDemoGameFolder(game_, options);
    if (!ok_) return;
    if (arrange) arrange(game_);
    const QScreen& screen = *QGuiApplication::primaryScreen();
    ok_ = selector_.startUp(game_, ui::screenSize(screen)) == StartupOutcome::Ready;
    window_ = std::make_unique<ui::MainWindow>(selector_);
    shell_.attach(*window_);
    window_->refresh();
    ui::fitOnScreen(*window_, screen);
    window_->show();
    window_->activateWindow();
    ok_ = ok_ && QTest::qWaitForWindowActive(window_.get());
  }

  bool ok() const { return ok_; }
  const std::filesystem::path& game() const { return game_; }
  FormState& state() { return selector_.state; }
  KeepingShell& shell() { return shell_; }
  ui::MainWindow& window() { return *window_; }
  // The window's widget `name`; a missing one stops the test program with its name.
  template <typename Widget>
  Widget* find(const QString& name) {
    auto* widget = window_->findChild<Widget*>(name);
    if (!widget) qFatal("no widget %s", qPrintable(name));
    return widget;
  }
  ui::GridView& grid(const char* name) { return *find<ui::GridView>(QString::fromLatin1(name)); }
  QString status() { return window_->statusBar()->currentMessage(); }

  // Brings the tab with `caption` to the front; false when there is none.
  bool showTab(const QString& caption) {
    auto* tabs = find<QTabWidget>(QStringLiteral("SSTab1"));
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->tabText(i) == caption) tabs->setCurrentIndex(i);
    }
    return tabs->tabText(tabs->currentIndex()) == caption;
  }

  // The cell of `view` whose column `col` shows `text`, scrolled into sight; invalid if none.
  static QModelIndex cell(ui::GridView& view, int col, const QString& text) {
    const QAbstractItemModel& model = *view.model();
    for (int row = 0; row < model.rowCount(); ++row) {
      const QModelIndex index = model.index(row, col);
      if (index.data().toString() != text) continue;
      view.scrollTo(index);
      return index;
    }
    return {};
  }

  // Clicks the cell of grid `name` whose column `col` shows `text`; false when none does.
  bool clickCell(const char* name, int col, const QString& text) {
    ui::GridView& view = grid(name);
    const QModelIndex index = cell(view, col, text);
    if (!index.isValid()) return false;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
    return true;
  }

  // Clicks the entry `text` of the list `name`; false when the list lacks it.
  bool clickListItem(const char* name, const QString& text) {
    auto* list = find<QListWidget>(QString::fromLatin1(name));
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.size() != 1) return false;
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
    return true;
  }

  void click(const char* name) {
    QTest::mouseClick(find<QWidget>(QString::fromLatin1(name)), Qt::LeftButton);
  }

 private:
  QTemporaryDir dir_;
  std::filesystem::path game_;
  KeepingShell shell_;
  Selector selector_{shell_};
  std::unique_ptr<ui::MainWindow> window_;
  bool ok_ = false;
};

}  // namespace kvo::test
