#pragma once

#include <QWidget>

class QLabel;
class QMenu;
class QListWidget;
class QPlainTextEdit;

namespace kvo {
class Selector;
}

namespace kvo::ui {

class ClickableLabel;
class CoreRunner;
class FilterBox;
class GridView;
class PictureBox;

// "World Settings": the mod folder grid with its name filter and its row menu, the category
// filter and the folder preview.
class WorldSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  WorldSettingsPage(kvo::Selector& selector, CoreRunner& runner, QWidget* parent = nullptr);

  // Shows the current core state.
  void refresh();

 signals:
  // What "Refresh!" found, or whether a folder opened in the file manager.
  void reported(const QString& text);

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
  void refreshFolders();
  bool leavesFolderRows(const QEvent* event) const;

  kvo::Selector& s_;
  CoreRunner& runner_;
  GridView* unigrid_ = nullptr;
  FilterBox* folderFilter_ = nullptr;
  QMenu* folderMenu_ = nullptr;
  QListWidget* list3_ = nullptr;
  QLabel* label6_ = nullptr;
  QLabel* label8_ = nullptr;
  ClickableLabel* label33_ = nullptr;
  QWidget* loadFrame_ = nullptr;
  QLabel* conflictLabel_ = nullptr;
  QLabel* myLabel_ = nullptr;
  QPlainTextEdit* text9_ = nullptr;
  PictureBox* myImage_ = nullptr;
};

}  // namespace kvo::ui
