#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/demo_selector_test.h"
#include "transaction/transaction_fixture.h"

namespace kvo::test {

// Why this system cannot stage symbolic links, or nullptr when it can.
inline const char* whyNoLinks() {
#ifdef _WIN32
  return "symbolic links are a POSIX matter here";
#else
  return nullptr;
#endif
}

// Where `item` stands in a list box, or -1.
inline int itemIndex(const ListBox& list, std::string_view item) {
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    if (list.items[i] == item) return static_cast<int>(i);
  }
  return -1;
}

// The texts of one column below the header row.
inline std::vector<std::string> gridColumn(const Grid& grid, int col) {
  std::vector<std::string> texts;
  for (int r = 1; r < grid.rows(); ++r) texts.push_back(grid.text(r, col));
  return texts;
}

// The demo selector, with helpers to compare the whole game folder before and after.
class EngineTest : public DemoSelectorTest {
 protected:
  std::filesystem::path mod(std::string_view name) const { return selectorDir() / name; }
  bool marked(std::string_view name) { return st().Unigrid.text(row(name), 2) == "S"; }
  Tree tree() { return snapshot(game()); }
  // The tree without the deployment record and the history, for tests of the files a load or
  // an unload moves.
  Tree treeBesidesDeployment() {
    auto all = tree();
    all.erase("KVO128/FilesLoaded.txt");
    all.erase("KVO128/History.txt");
    return all;
  }
  // The bytes of a file of a mod folder, as its copy in the game should hold them.
  std::string modFile(std::string_view folder, std::string_view name) {
    return readFile(mod(folder) / name);
  }
  // A read-only sentinel beside the game folder, which no change may touch through a link.
  std::filesystem::path outside() const { return temp_.path() / "outside"; }
  void writeSentinel() {
    writeFile(outside() / "sentinel", "not the game's");
    std::filesystem::permissions(outside() / "sentinel", std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::group_read);
  }
  void linkToSentinel(const std::filesystem::path& link) {
    std::filesystem::remove(link);
    std::filesystem::create_symlink(outside() / "sentinel", link);
  }
  // True when the caption was shown at any time since the start.
  bool captionShown(std::string_view caption) {
    return std::ranges::find(shell.captions, caption) != shell.captions.end();
  }
  // The one message shown since the last clear holds every one of `parts`.
  void expectOneMessageWith(const std::vector<std::string_view>& parts) {
    ASSERT_EQ(shell.messages.size(), 1U);
    for (const auto part : parts) {
      EXPECT_NE(shell.messages[0].text.find(part), std::string::npos)
          << part << " in " << shell.messages[0].text;
    }
  }
};

}  // namespace kvo::test
