#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kvo {
class Selector;
}

namespace kvo::ui {

class CoreRunner;
class PictureBox;

// "General Settings": the game folder, the six eaw.ini settings and the eaw.ini viewer.
class GeneralSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  GeneralSettingsPage(kvo::Selector& selector, CoreRunner& runner, QWidget* parent = nullptr);

  // Shows the current core state.
  void refresh();

 signals:
  // What a save wrote, or which typed values are not saved yet.
  void reported(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct SettingBox {
    QLineEdit* edit;
    std::string* value;
  };
  QWidget* buildSettingsFrame();
  QWidget* buildResolution();
  QWidget* buildIniViewer();
  QWidget* buildKeepOriginals();
  QLineEdit* addSetting(const QString& name, std::string& value);
  void save();

  kvo::Selector& s_;
  CoreRunner& runner_;
  QLabel* eawDirLabel_ = nullptr;
  std::array<QLabel*, 2> label18_{};
  std::vector<SettingBox> boxes_;
  QGroupBox* frame21_ = nullptr;
  QCheckBox* keepOriginals_ = nullptr;
  QPlainTextEdit* text14_ = nullptr;
  bool text14Latin1_ = false;  // how Text14's bytes were decoded for showing
  PictureBox* image3_ = nullptr;
};

}  // namespace kvo::ui
