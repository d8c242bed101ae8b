#include "ui/qt_shell.h"

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>

#include "platform/start_program.h"
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
  const QString shown = toQString(text);
  window_->statusBar()->showMessage(shown);
  // A long report may not fit the status bar's width.
  window_->statusBar()->setToolTip(shown);
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
  // Long file work runs on this thread; let the window repaint, but let no click in that
  // could start another operation on the half-done state.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
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
