#pragma once

#include <QMainWindow>
#include <memory>

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
class SelectionReport;
class WorldSettingsPage;

// The selector's window "KVOForm": five tabs over one Selector, and the buttons that act on
// everything at once. The status bar says what the last action did.
class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(kvo::Selector& selector, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the core state on every tab.
  void refresh();
  CoreRunner& runner() { return *runner_; }

 private:
  QWidget* buildButtons();
  void buildTabs();
  void connectReports();
  void prepareForKeyboard();
  void report(const QString& text);
  void resetAll();
  void deleteDefaultMissions();

  kvo::Selector& s_;
  CoreRunner* runner_;
  QTabWidget* tabs_ = nullptr;
  GeneralSettingsPage* general_ = nullptr;
  CompleteSetsPage* completeSets_ = nullptr;
  WorldSettingsPage* world_ = nullptr;
  AutoscriptsPage* autoscripts_ = nullptr;
  PlanesSkinsPage* planesSkins_ = nullptr;
  std::unique_ptr<SelectionReport> selection_;  // taken when an action starts
};

}  // namespace kvo::ui
