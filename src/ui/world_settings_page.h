#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;
class QMenu;
class QListWidget;
class QPlainTextEdit;

namespace kvo {
class FolderEngine;
class LoadRecord;
class ModInstaller;
class Shell;
struct FormState;
struct InstallPlan;
}  // namespace kvo

namespace kvo::ui {

class ClickableLabel;
class CoreRunner;
class FilterBox;
class GridView;
class PictureBox;

// "World Settings": the mod folder grid with its name filter and its row menu, the category
// filter and the folder preview, and adding a mod from its archive ("Add mod..." or a drop of
// an archive or a folder onto the grid).
class WorldSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  WorldSettingsPage(kvo::FormState& state, kvo::FolderEngine& engine, kvo::ModInstaller& installer,
                    const kvo::LoadRecord& record, kvo::Shell& shell, CoreRunner& runner,
                    QWidget* parent = nullptr);

  // Shows the current core state.
  void refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showPreview();
  QWidget* buildLoadFrame();
  QWidget* buildFilterColumn();
  QWidget* buildLoadedList();
  QWidget* buildPreviewColumn();
  void connectHandlers();
  void connectKeyboard();
  void showFolderMenu(int row, const QPoint& at);
  void openFolder(int row);
  void showConflicts(int row);
  void clickUnigrid(int row, int col);
  QWidget* buildAddModRow();
  void pickArchive();
  void addDropped(const QStringList& paths);
  void addModFrom(const QString& path);
  void installMod(const kvo::InstallPlan& plan);
  void showNewFolderRow();
  // Says `text` on the status line, for what the page did without the core.
  void say(const QString& text);
  bool leavesFolderRows(const QEvent* event) const;

  kvo::FormState& state_;
  kvo::FolderEngine& engine_;
  kvo::ModInstaller& installer_;
  const kvo::LoadRecord& record_;
  kvo::Shell& shell_;
  CoreRunner& runner_;
  GridView* unigrid_ = nullptr;
  FilterBox* folderFilter_ = nullptr;
  QMenu* folderMenu_ = nullptr;
  QListWidget* list3_ = nullptr;
  QLabel* label6_ = nullptr;
  QLabel* label8_ = nullptr;
  ClickableLabel* label33_ = nullptr;
  QPushButton* addMod_ = nullptr;
  QString archiveDir_;  // where the last archive was picked
  QWidget* loadFrame_ = nullptr;
  QLabel* conflictLabel_ = nullptr;
  QLabel* myLabel_ = nullptr;
  QPlainTextEdit* text9_ = nullptr;
  PictureBox* myImage_ = nullptr;
};

}  // namespace kvo::ui
