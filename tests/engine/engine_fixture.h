#pragma once

#include <string>
#include <string_view>

#include "support/demo_selector_test.h"

namespace kvo::test {

// The demo selector, with helpers to compare the whole game folder before and after.
class EngineTest : public DemoSelectorTest {
 protected:
  std::filesystem::path mod(std::string_view name) const { return selectorDir() / name; }
  bool marked(std::string_view name) { return st().Unigrid.text(row(name), 2) == "S"; }
  Tree tree() { return snapshot(game()); }
  // The tree without the deployment record, for tests of the files a load or an unload moves.
  Tree treeBesidesDeployment() {
    auto all = tree();
    all.erase("KVO128/FilesLoaded.txt");
    return all;
  }
  // The bytes of a file of a mod folder, as its copy in the game should hold them.
  std::string modFile(std::string_view folder, std::string_view name) {
    return readFile(mod(folder) / name);
  }
};

}  // namespace kvo::test
