#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace kvo {
class FolderEngine;
struct FormState;
}  // namespace kvo

namespace kvo::ui {

class ClickableLabel;
class CoreRunner;
class GridView;
class PictureBox;

// "World Settings": the mod folder grid, its category filter and the folder preview.
class WorldSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  WorldSettingsPage(kvo::FormState& state, kvo::FolderEngine& engine, CoreRunner& runner,
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
  void clickUnigrid(int row, int col);
  bool leavesFolderRows(const QEvent* event) const;

  kvo::FormState& state_;
  kvo::FolderEngine& engine_;
  CoreRunner& runner_;
  GridView* unigrid_ = nullptr;
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
