#include "ui/qt_shell.h"

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>
#include <array>
#include <map>

#include "platform/start_program.h"
#include "state/outcome.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/status_line.h"
#include "ui/view_sync.h"

namespace kvo::ui {

namespace {

QMessageBox::Icon boxIcon(kvo::Icon icon) {
  switch (icon) {
    case kvo::Icon::Information:
      return QMessageBox::Information;
    case kvo::Icon::Exclamation:
      return QMessageBox::Warning;
    case kvo::Icon::Critical:
      return QMessageBox::Critical;
    case kvo::Icon::Question:
      return QMessageBox::Question;
    case kvo::Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtShell::attach(QMainWindow& window) {
  window_ = &window;
  if (!caption_.empty()) window.setWindowTitle(toQString(caption_));
  progressBar_ = new QProgressBar(&window);
  progressBar_->setObjectName(QStringLiteral("progressBar"));
  progressBar_->setMaximumWidth(240);
  progressBar_->hide();
  window.statusBar()->addPermanentWidget(progressBar_);
}

void QtShell::message(std::string_view text, kvo::Icon icon, std::string_view title) {
  QMessageBox box(boxIcon(icon), toQString(title), toQString(text), QMessageBox::Ok,
                  window_.data());
  box.exec();
}

bool QtShell::ask(std::string_view text, std::string_view title) {
  QMessageBox box(QMessageBox::Question, toQString(title), toQString(text),
                  QMessageBox::Yes | QMessageBox::No, window_.data());
  return box.exec() == QMessageBox::Yes;
}

void QtShell::status(std::string_view text) {
  // An action that has nothing to say leaves the last report standing.
  if (!window_ || text.empty()) return;
  if (!statusLine_) statusLine_ = new StatusLine(*window_->statusBar());
  statusLine_->show(toQString(text));
}

void QtShell::setCaption(std::string_view caption) {
  caption_ = caption;
  if (window_) window_->setWindowTitle(toQString(caption));
}

void QtShell::progress(int done, int total) {
  if (progressBar_) {
    progressBar_->setVisible(total > 0);
    progressBar_->setRange(0, std::max(total, 1));
    progressBar_->setValue(std::clamp(done, 0, std::max(total, 1)));
  }
  // Long file work runs on this thread; the window repaints meanwhile, and the runner refuses
  // what the player clicks or types then, saying so.
  QApplication::processEvents();
}

void QtShell::changeStarts(const kvo::Changes& changes) {
  if (!window_) return;
  // The column that names a row, as the marks name it.
  const std::array<std::pair<const char*, int>, 3> kNameColumns = {
      {{"Unigrid", 1}, {"SK1", 0}, {"G1", 0}}};
  for (const auto& [grid, nameCol] : kNameColumns) {
    std::map<std::string, bool> loading;
    for (const auto& mark : changes.marks) {
      if (mark.grid == grid) loading[mark.name] = mark.loaded;
    }
    auto* view = window_->findChild<GridView*>(QString::fromLatin1(grid));
    if (view && !loading.empty()) view->gridModel().showChanging(std::move(loading), nameCol);
  }
}

std::string QtShell::clipboardText() {
  return toStdString(QGuiApplication::clipboard()->text());
}

void QtShell::setClipboardText(std::string_view text) {
  QGuiApplication::clipboard()->setText(toQString(text));
}

bool QtShell::startProgram(const std::filesystem::path& exe,
                           const std::filesystem::path& workingDir, std::string& error) {
  return kvo::startDetached(exe, workingDir, error);
}

void QtShell::minimise() {
  if (window_) window_->showMinimized();
}

void QtShell::quit() {
  // Queued, so that the handler that asked finishes first, and so that a request made
  // before the event loop runs is not lost.
  QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace kvo::ui
