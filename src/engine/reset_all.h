#pragma once

#include <string>
#include <vector>

namespace kvo {

class Selector;

// "Reset All", the clean-up by CleanUp.ini and "Del MSN".
class ResetAll final {
 public:
  explicit ResetAll(Selector& selector) : s_(selector) {}

  // Marks every folder, skin and plane as not loaded, sweeps the game folder and puts the
  // spare eaw.exe back ("Reset All").
  void Command1_Click();
  // Deletes the game's default missions from its save folder ("Del MSN").
  void delmsn_Click();

 private:
  void unmarkFolders();
  void unloadSkins();
  void emptyLoadRecord(std::vector<std::string>& failures);
  void restoreSpareExe(std::vector<std::string>& failures);
  void report(const std::vector<std::string>& failures);
  Selector& s_;
};

}  // namespace kvo
