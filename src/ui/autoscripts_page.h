#pragma once

#include <QWidget>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kvo {
class Autoscripts;
class Launcher;
class MusicSets;
struct FormState;
}  // namespace kvo

namespace kvo::ui {

class CoreRunner;

// "Autoscripts and Program launch": saving and replaying autoscripts, starting a program of
// the game folder, and the music sets.
class AutoscriptsPage final : public QWidget {
  Q_OBJECT

 public:
  AutoscriptsPage(kvo::FormState& state, kvo::Autoscripts& scripts, kvo::Launcher& launcher,
                  kvo::MusicSets& music, CoreRunner& runner, QWidget* parent = nullptr);

  // Shows the current core state.
  void refresh();

 private:
  QWidget* buildSaveFrame();
  QFrame* buildOverwritePrompt();
  QWidget* buildRunFrame();
  QWidget* buildLaunchBox();
  QWidget* buildMusicBox();
  void connectHandlers();
  void answerPrompt(int index);
  std::string scriptText() const;

  kvo::FormState& state_;
  kvo::Autoscripts& scripts_;
  kvo::Launcher& launcher_;
  kvo::MusicSets& music_;
  CoreRunner& runner_;
  QPlainTextEdit* text2_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QPushButton* command7_ = nullptr;
  QFrame* setWarn_ = nullptr;
  QListWidget* file10_ = nullptr;
  QListWidget* list2_ = nullptr;
  QLabel* scriptPlan_ = nullptr;
  QPushButton* command6_ = nullptr;
  QListWidget* list6_ = nullptr;
  QListWidget* list4_ = nullptr;
  QLabel* label11_ = nullptr;
};

}  // namespace kvo::ui
