#pragma once

#include <QPointer>
#include <string>

#include "state/shell.h"

class QMainWindow;
class QProgressBar;

namespace kvo::ui {
class StatusLine;
}

namespace kvo::ui {

// The player's side of the core: message boxes, the window caption, a progress bar in the
// status bar, the clipboard and starting programs. It exists before the window (start-up may
// already talk to the player) and is attached to the window once that is built.
class QtShell final : public kvo::Shell {
 public:
  QtShell() = default;

  // From now on messages are modal to `window` and progress shows in its status bar.
  void attach(QMainWindow& window);

  void message(std::string_view text, kvo::Icon icon, std::string_view title) override;
  bool ask(std::string_view text, std::string_view title) override;
  void status(std::string_view text) override;
  void setCaption(std::string_view caption) override;
  void progress(int done, int total) override;
  void changeStarts(const kvo::Changes& changes) override;
  std::string clipboardText() override;
  void setClipboardText(std::string_view text) override;
  bool startProgram(const std::filesystem::path& exe, const std::filesystem::path& workingDir,
                    std::string& error) override;
  void minimise() override;
  void quit() override;

 private:
  QPointer<QMainWindow> window_;
  QPointer<QProgressBar> progressBar_;
  QPointer<StatusLine> statusLine_;
  std::string caption_;
};

}  // namespace kvo::ui
