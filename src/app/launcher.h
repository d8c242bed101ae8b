#pragma once

namespace kvo {

class Core;

// Starting a program of the game folder, minimise and exit.
class Launcher final {
 public:
  explicit Launcher(Core& core) : s_(core) {}

  // The launch labels over List6: 0 "Just Launch", 1 minimise first, 2 exit after starting.
  void Label28_Click(int index);
  // "Exit": ends the selector without saving or undoing anything.
  void Command3_Click();
  // "Minimise".
  void Command8_Click();

 private:
  Core& s_;
};

}  // namespace kvo
