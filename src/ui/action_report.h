#pragma once

#include <QString>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace kvo {
struct FormState;
}

namespace kvo::ui {

// What the player is told in the status bar after an action. Each report looks at the state
// and the disk before the action and again after it, so that it says what really happened,
// also when the action stopped half-way.

// The loaded selection (folders, skins, planes) before an action; describe() names what the
// action loaded and unloaded, or gives "" when it changed nothing.
class SelectionReport final {
 public:
  explicit SelectionReport(const kvo::FormState& state);
  QString describe(const kvo::FormState& state) const;

 private:
  std::vector<std::string> before_;
};

// "Reset All": what was loaded, and the files of the game folder before the sweep.
class ResetAllReport final {
 public:
  explicit ResetAllReport(const kvo::FormState& state);
  QString describe(const kvo::FormState& state) const;

 private:
  std::vector<std::string> unloaded_;
  std::set<std::string> files_;
};

// "Del MSN": the default missions in the save folder before the deletion.
class DelMsnReport final {
 public:
  explicit DelMsnReport(const kvo::FormState& state);
  QString describe(const kvo::FormState& state) const;

 private:
  std::vector<std::string> missions_;
};

// "a, b, c" for a few names, and how many more there are beyond them.
QString nameList(const std::vector<std::string>& names);

}  // namespace kvo::ui
