#pragma once

#include <QMainWindow>

class QTabWidget;

namespace kvo {
class Selector;
}

namespace kvo::ui {

class AutoscriptsPage;
class CompleteSetsPage;
class CoreRunner;
class GeneralSettingsPage;
class PlanesSkinsPage;
class WorldSettingsPage;

// The selector's window "KVOForm": five tabs, each handed the subsystems it uses, and the
// buttons that act on everything at once. The status bar says what the last action did.
class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(kvo::Selector& selector, QWidget* parent = nullptr);

  // Shows the core state on every tab.
  void refresh();
  CoreRunner& runner() { return *runner_; }

 private:
  QWidget* buildButtons(kvo::Selector& selector);
  void buildTabs(kvo::Selector& selector);
  void prepareForKeyboard();

  CoreRunner* runner_;
  QTabWidget* tabs_ = nullptr;
  GeneralSettingsPage* general_ = nullptr;
  CompleteSetsPage* completeSets_ = nullptr;
  WorldSettingsPage* world_ = nullptr;
  AutoscriptsPage* autoscripts_ = nullptr;
  PlanesSkinsPage* planesSkins_ = nullptr;
};

}  // namespace kvo::ui
