#pragma once

#include <string>

#include "state/form_state.h"
#include "state/outcome.h"
#include "state/shell.h"

namespace kvo {

// Starting a program of the game folder, minimise and exit.
class Launcher final {
 public:
  Launcher(const FormState& state, Shell& shell) : state_(state), shell_(shell) {}

  // The launch labels over List6 for the program `exe` of the game folder: 0 "Just Launch",
  // 1 minimise first, 2 exit after starting. Nothing for no program.
  Outcome Label28_Click(int index, const std::string& exe);
  // "Exit": ends the selector without saving or undoing anything.
  void Command3_Click();
  // "Minimise".
  void Command8_Click();

 private:
  const FormState& state_;
  Shell& shell_;
};

}  // namespace kvo
