#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "state/form_state.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kvo {
class GameFolder;
class GameSettings;
struct FormState;
}  // namespace kvo

namespace kvo::ui {

class CoreRunner;
class PictureBox;

// "General Settings": the game folder, the six eaw.ini settings and the eaw.ini viewer.
class GeneralSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  GeneralSettingsPage(kvo::FormState& state, kvo::GameSettings& settings, kvo::GameFolder& game,
                      CoreRunner& runner, QWidget* parent = nullptr);
  ~GeneralSettingsPage() override;

  // Shows the current core state.
  void refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using SettingField = std::string kvo::SettingsBoxes::*;
  struct SettingBox {
    QLineEdit* edit;
    SettingField field;
  };
  QWidget* buildSettingsFrame();
  QWidget* buildResolution();
  QWidget* buildIniViewer();
  QWidget* buildKeepOriginals();
  QWidget* buildDeployByLink();
  QWidget* buildHistoryButton();
  QLineEdit* addSetting(const QString& name, SettingField field);
  kvo::SettingsBoxes typed() const;
  void save();
  void showHistory();

  kvo::FormState& state_;
  kvo::GameSettings& settings_;
  kvo::GameFolder& game_;
  CoreRunner& runner_;
  QLabel* eawDirLabel_ = nullptr;
  std::array<QLabel*, 2> label18_{};
  std::vector<SettingBox> boxes_;
  QGroupBox* frame21_ = nullptr;
  QCheckBox* keepOriginals_ = nullptr;
  QCheckBox* deployByLink_ = nullptr;
  QPlainTextEdit* text14_ = nullptr;
  bool text14Latin1_ = false;  // how Text14's bytes were decoded for showing
  bool enterPressed_ = false;  // the next editingFinished comes from Enter
  PictureBox* image3_ = nullptr;
};

}  // namespace kvo::ui
