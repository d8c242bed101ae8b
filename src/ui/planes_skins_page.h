#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace kvo {
class AltPlanes;
class SkinPanel;
struct FormState;
}  // namespace kvo

namespace kvo::ui {

class ClickableLabel;
class CoreRunner;
class GridView;
class MenuEditor;
class PictureBox;
class PnamesEditor;

// "Planes and Skins": the skin grid, the plane filter and the alternative planes of a loaded
// flight model.
class PlanesSkinsPage final : public QWidget {
  Q_OBJECT

 public:
  PlanesSkinsPage(kvo::FormState& state, kvo::SkinPanel& skins, kvo::AltPlanes& planes,
                  CoreRunner& runner, QWidget* parent = nullptr);

  // Shows the current core state.
  void refresh();

 private:
  QWidget* buildSkinFrame();
  QWidget* buildSkinPreview();
  QWidget* buildPlaneFrame();
  QWidget* buildFuelBox();
  void connectHandlers();
  void clickG1(int row, int col);
  void renameSkin();
  void showFuelChoice(int index);
  void onSkinRow(int row, int col, bool apply);
  void connectPlaneHandlers();
  QWidget* buildEditorButtons();
  void openPnamesEditor();
  void openMenuEditor();
  bool eventFilter(QObject* watched, QEvent* event) override;

  kvo::FormState& state_;
  kvo::SkinPanel& skins_;
  kvo::AltPlanes& planes_;
  CoreRunner& runner_;
  QCheckBox* check5_ = nullptr;
  QListWidget* list1_ = nullptr;
  QPushButton* command12_ = nullptr;
  QLineEdit* text3_ = nullptr;
  QPlainTextEdit* text10_ = nullptr;
  GridView* sk1_ = nullptr;
  std::array<QLabel*, 2> label19_{};
  PictureBox* image2_ = nullptr;
  QLabel* label7_ = nullptr;
  QLabel* label2_ = nullptr;
  ClickableLabel* label39_ = nullptr;
  QGroupBox* frame6_ = nullptr;
  QGroupBox* frame9_ = nullptr;
  std::array<ClickableLabel*, 2> label20_{};  // "Slot" over column 0, "Name" over column 3
  std::array<QRadioButton*, 6> option1_{};
  GridView* g1_ = nullptr;
  QLabel* label26_ = nullptr;
  QLabel* label27_ = nullptr;
  QPushButton* pnamesButton_ = nullptr;
  QPushButton* menuButton_ = nullptr;
  PnamesEditor* pnamesEditor_ = nullptr;
  MenuEditor* menuEditor_ = nullptr;
};

}  // namespace kvo::ui
