#pragma once

#include <string>
#include <string_view>

#include "planes/planes_fixture.h"

namespace kvo::test {

// The demo selector with the plane and skin helpers, and helpers for its Autoscripts folder.
class ScriptsTest : public PlanesTest {
 protected:
  std::filesystem::path scripts() const { return selectorDir() / "Autoscripts"; }
  void writeScript(std::string_view name, std::string_view bytes) {
    writeFile(scripts() / name, bytes);
  }
  // Selects `name` in a file list the way a click does; fails the test when it is not listed.
  static void select(ListBox& list, const std::string& name) {
    list.index = itemIndex(list, name);
    ASSERT_GE(list.index, 0) << name;
  }
  // Picks the script in File10, previews it and presses "OK load it!".
  void runScript(const std::string& name) {
    sel().scripts.refreshScriptLists();
    select(st().File10, name);
    sel().scripts.PreviewAutoscript();
    sel().scripts.RunAutoscript();
  }
};

}  // namespace kvo::test
