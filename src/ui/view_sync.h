#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace kvo {
struct ListBox;
}

namespace kvo::ui {

// Core text is 8-bit: UTF-8 where it came from the file system, otherwise the game's
// Windows-1252 bytes, shown as Latin-1 (the two agree on every printable character we meet).
QString toQString(std::string_view text);
QString pathToQString(const std::filesystem::path& path);
std::string toStdString(const QString& text);

// Copies core state into a widget without firing its change signals, and without touching
// the widget when nothing changed so that the cursor and the scroll position stay put.
void showText(QLabel& label, std::string_view text);
void showText(QLineEdit& edit, std::string_view text);
void showText(QPlainTextEdit& edit, std::string_view text);
void showList(QListWidget& list, const kvo::ListBox& box);

}  // namespace kvo::ui
