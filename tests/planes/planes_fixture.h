#pragma once

#include <string_view>

#include "support/demo_selector_test.h"

namespace kvo::test {

// The demo selector, with helpers that act on skin rows by name.
class PlanesTest : public DemoSelectorTest {
 protected:
  std::filesystem::path skinDir(std::string_view name) const {
    return selectorDir() / "Skinfolder" / name;
  }
  int skinRow(std::string_view name) { return st().SK1.findRow(0, name); }
  bool skinLoaded(std::string_view name) { return st().SK1.text(skinRow(name), 1) == "S"; }
  void applySkin(std::string_view name) {
    ASSERT_GT(skinRow(name), 0) << name;
    st().SK1.row = skinRow(name);
    sel().skins.ApplySkinRow();
  }
  // Exact spelling: a file that keeps its upper-case name must not count as the lower-case one.
  bool inGame(std::string_view name) const {
    const auto path = game() / name;
    return holdsEntrySpelled(path.parent_path(), path.filename().string());
  }
};

}  // namespace kvo::test
