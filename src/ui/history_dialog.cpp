#include "ui/history_dialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "platform/file_ops.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/history.h"
#include "ui/named.h"
#include "ui/view_sync.h"

namespace kvo::ui {

namespace {

std::string historyText(const kvo::FormState& state) {
  const auto path = kvo::historyPath(state);
  std::error_code ec;
  const auto bytes = kvo::readFileBytes(path, ec, kvo::read_limit::kHistory);
  if (!bytes) {
    return ec == std::errc::no_such_file_or_directory ? "No change has been made yet."
                                                      : kvo::describeFailure("read", path, ec);
  }
  std::string text;
  for (const auto& entry : kvo::lastHistoryEntries(*bytes, kvo::kHistoryKept)) {
    for (const auto& line : entry) text += line + '\n';
  }
  return text;
}

}  // namespace

HistoryDialog::HistoryDialog(const kvo::FormState& state, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HistoryDialog"));
  setWindowTitle(QStringLiteral("History"));
  auto* layout = new QVBoxLayout(this);
  auto* text = named<QPlainTextEdit>(QStringLiteral("HistoryText"));
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  showText(*text, historyText(state));
  text->moveCursor(QTextCursor::End);
  layout->addWidget(text, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(fontMetrics().averageCharWidth() * 100, 480);
}

}  // namespace kvo::ui
