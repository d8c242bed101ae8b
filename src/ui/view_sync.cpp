#include "ui/view_sync.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringDecoder>

#include "state/form_state.h"

namespace kvo::ui {

QString toQString(std::string_view text) {
#ifdef _WIN32
  // The core holds names and file text in the system's 8-bit code page, as the game does.
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
#else
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
#endif
}

QString pathToQString(const std::filesystem::path& path) {
  return QString::fromStdU16String(path.u16string());
}

std::string toStdString(const QString& text) {
#ifdef _WIN32
  return text.toLocal8Bit().toStdString();
#else
  return text.toStdString();
#endif
}

void showText(QLabel& label, std::string_view text) {
  const QString shown = toQString(text);
  if (label.text() != shown) label.setText(shown);
}

void showText(QLineEdit& edit, std::string_view text) {
  const QString shown = toQString(text);
  if (edit.text() == shown) return;
  const QSignalBlocker quiet(edit);
  edit.setText(shown);
}

void showText(QPlainTextEdit& edit, std::string_view text) {
  const QString shown = toQString(text);
  if (edit.toPlainText() == shown) return;
  const QSignalBlocker quiet(edit);
  edit.setPlainText(shown);
}

namespace {

bool sameItems(const QListWidget& list, const kvo::ListBox& box) {
  if (list.count() != static_cast<int>(box.items.size())) return false;
  for (int i = 0; i < list.count(); ++i) {
    if (list.item(i)->text() != toQString(box.items[static_cast<std::size_t>(i)])) return false;
  }
  return true;
}

}  // namespace

void showList(QListWidget& list, const kvo::ListBox& box) {
  const QSignalBlocker quiet(list);
  if (!sameItems(list, box)) {
    list.clear();
    for (const std::string& item : box.items) list.addItem(toQString(item));
  }
  if (list.currentRow() != box.index) list.setCurrentRow(box.index);
  list.setVisible(box.visible);
}

}  // namespace kvo::ui
