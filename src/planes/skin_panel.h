#pragma once

#include <string>

namespace kvo {

class Selector;

// The skin grid `SK1`, the plane filter `List1` and the skin folders.
class SkinPanel final {
 public:
  explicit SkinPanel(Selector& selector) : s_(selector) {}

  // Fills `List1` and `SK1` from the skin folders (start-up).
  void buildSkinGrid();
  // Marks every skin row whose name ends the load-record `line`; true when one matched.
  bool markLoadedSkin(const std::string& line);
  // The plane filter: a click on `List1` entry `index`.
  void FilterGrids(int index);

 private:
  Selector& s_;
};

}  // namespace kvo
