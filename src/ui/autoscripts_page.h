#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kvo {
class Selector;
}

namespace kvo::ui {

class CoreRunner;

// "Autoscripts and Program launch": saving and replaying autoscripts, starting a program of
// the game folder, and the music sets.
class AutoscriptsPage final : public QWidget {
  Q_OBJECT

 public:
  AutoscriptsPage(kvo::Selector& selector, CoreRunner& runner, QWidget* parent = nullptr);

  // Shows the current core state.
  void refresh();

 private:
  QWidget* buildSaveFrame();
  QFrame* buildOverwritePrompt();
  QWidget* buildRunFrame();
  QWidget* buildLaunchBox();
  QWidget* buildMusicBox();
  void connectHandlers();

  kvo::Selector& s_;
  CoreRunner& runner_;
  QPlainTextEdit* text2_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QPushButton* command7_ = nullptr;
  QFrame* setWarn_ = nullptr;
  QListWidget* file10_ = nullptr;
  QListWidget* list2_ = nullptr;
  QPushButton* command6_ = nullptr;
  QListWidget* list6_ = nullptr;
  QListWidget* list4_ = nullptr;
  QLabel* label11_ = nullptr;
};

}  // namespace kvo::ui
