#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "support/demo_selector_test.h"

namespace kvo::test {

// The demo selector, with helpers for its Autoscripts folder and the three grids' marks.
class ScriptsTest : public DemoSelectorTest {
 protected:
  std::filesystem::path scripts() const { return selectorDir() / "Autoscripts"; }
  void writeScript(std::string_view name, std::string_view bytes) {
    writeFile(scripts() / name, bytes);
  }
  // Selects `name` in a file list the way a click does; fails the test when it is not listed.
  static void select(ListBox& list, const std::string& name) {
    const auto found = std::find(list.items.begin(), list.items.end(), name);
    ASSERT_NE(found, list.items.end()) << name;
    list.index = static_cast<int>(found - list.items.begin());
  }
  // Picks the script in File10, previews it and presses "OK load it!".
  void runScript(const std::string& name) {
    sel().scripts.refreshScriptLists();
    select(st().File10, name);
    sel().scripts.PreviewAutoscript();
    sel().scripts.RunAutoscript();
  }
  bool folderLoaded(std::string_view name) { return st().Unigrid.text(row(name), 2) == "S"; }
  bool skinLoaded(std::string_view name) {
    return st().SK1.text(st().SK1.findRow(0, name), 1) == "S";
  }
  bool planeInstalled(std::string_view name) {
    const int r = st().G1.findRow(0, name);
    return r > 0 && st().G1.text(r, 4) == "S";
  }
  void installPlane(std::string_view name) {
    ASSERT_GT(st().G1.findRow(0, name), 0) << name;
    st().G1.row = st().G1.findRow(0, name);
    sel().planes.ApplyPlaneRow();
  }
  void applySkin(std::string_view name) {
    ASSERT_GT(st().SK1.findRow(0, name), 0) << name;
    st().SK1.row = st().SK1.findRow(0, name);
    sel().skins.ApplySkinRow();
  }
};

}  // namespace kvo::test
