#pragma once

namespace kvo {

class Grid;
class Selector;

// Starting a program of the game folder, minimise, exit, and the small display handlers of
// the main window.
class Launcher final {
 public:
  explicit Launcher(Selector& selector) : s_(selector) {}

  // The launch labels over List6: 0 "Just Launch", 1 minimise first, 2 exit after starting.
  void Label28_Click(int index);
  // "Exit": ends the selector without saving or undoing anything.
  void Command3_Click();
  // "Minimise".
  void Command8_Click();
  // The pointer over the skin panel takes away the skin preview.
  void Frame9_MouseMove();
  // The pointer over the folder grid's frame takes away the mod folder preview.
  void LoadFrame_MouseMove();
  // The "Slot" and "Name" headings sort G1 by their column.
  void Label20_Click(int index);

 private:
  Selector& s_;
};

// Sorts the rows below the header ascending by column `col`: numbers as numbers, before
// other text, which compares without regard to case. Rows keep their colours and heights.
void sortRowsAscending(Grid& grid, int col);

}  // namespace kvo
