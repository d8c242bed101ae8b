#include "ui/game_dir_picker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include "platform/listing.h"
#include "ui/view_sync.h"

namespace kvo::ui {
namespace {

const QString kLastGameDirKey = QStringLiteral("lastGameDir");

// Per user: ~/.config/kvo/kvo.conf on Linux, the registry on Windows.
QSettings playerSettings() {
  return QSettings(QStringLiteral("kvo"), QStringLiteral("kvo"));
}

QString proposedFolder() {
  const QString last = playerSettings().value(kLastGameDirKey).toString();
  return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

bool holdsGameExe(const std::filesystem::path& dir) {
  const auto exe = findNoCase(dir, "eaw.exe");
  return exe && fileExists(*exe);
}

// A folder without eaw.exe is most likely a wrong pick. The home folder is never taken as
// the game folder: the selector would fill it with its own folders.
bool playerKeepsFolderWithoutGame(const std::filesystem::path& dir) {
  const bool isHome = QFileInfo(pathToQString(dir)) == QFileInfo(QDir::homePath());
  QString text = QStringLiteral("There is no eaw.exe in %1.\n\n").arg(pathToQString(dir));
  text += isHome ? QStringLiteral(
                       "Your home folder cannot be the game folder. Please pick the "
                       "folder that holds eaw.exe.")
                 : QStringLiteral(
                       "The selector will create its KVO128 folder there. Use this "
                       "folder as the game folder anyway?");
  QMessageBox box(QMessageBox::Warning, QStringLiteral("No game in this folder"), text);
  QPushButton* pickAgain =
      box.addButton(QStringLiteral("Pick another folder"), QMessageBox::AcceptRole);
  QPushButton* goOn =
      isHome ? nullptr
             : box.addButton(QStringLiteral("Use this folder"), QMessageBox::DestructiveRole);
  box.setDefaultButton(pickAgain);
  box.exec();
  return goOn != nullptr && box.clickedButton() == goOn;
}

}  // namespace

std::optional<std::filesystem::path> askForGameDir() {
  QString start = proposedFolder();
  for (;;) {
    const QString chosen = QFileDialog::getExistingDirectory(
        nullptr, QStringLiteral("Choose the EAW game folder (the folder that holds eaw.exe)"),
        start);
    if (chosen.isEmpty()) return std::nullopt;
    const std::filesystem::path dir = QFileInfo(chosen).filesystemAbsoluteFilePath();
    if (holdsGameExe(dir) || playerKeepsFolderWithoutGame(dir)) {
      playerSettings().setValue(kLastGameDirKey, chosen);
      return dir;
    }
    start = chosen;
  }
}

}  // namespace kvo::ui
