#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "demo_game.h"
#include "gamefiles/game_folder_files.h"
#include "gamefiles/install_names.h"
#include "gamefiles/plane_menu.h"
#include "platform/file_ops.h"
#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;

std::string demoMenu(demo::MenuSide side) {
  return demo::makeMenuFile(side, demo::defaultMenuNames(side));
}

std::array<std::string, 3> demoMenus() {
  return {demoMenu(demo::MenuSide::B), demoMenu(demo::MenuSide::A), demoMenu(demo::MenuSide::G)};
}

std::array<std::string_view, 3> views(const std::array<std::string, 3>& files) {
  return {files[0], files[1], files[2]};
}

// Which entries a refill rewrites is checked byte-exact through the plane install.
TEST(InstallNames, RefillRefusesASlotOutsideTheGameAndADamagedMenuWithoutPartialResults) {
  Pnameform names;
  ASSERT_EQ(names.LoadPnames(demo::makePnamesStr(demo::defaultPlaneNames())), "");
  const auto row30 = names.Grid.text(30);
  EXPECT_NE(setPlaneName(names.Grid, 30, "X").find("plane slot 30"), std::string::npos);
  EXPECT_NE(setPlaneName(names.Grid, -1, "X").find("plane slot -1"), std::string::npos);
  EXPECT_EQ(names.Grid.text(30), row30);

  auto menus = demoMenus();
  menus[1].resize(40);
  Pmnuform form;
  const auto after = refillMenus(form, names.Grid, views(menus));
  EXPECT_NE(after.error.find("picplna.mnu is damaged"), std::string::npos) << after.error;
  for (const auto& bytes : after.bytes) EXPECT_TRUE(bytes.empty());
  EXPECT_NE(refillMenus(form, PnameGrid{}, views(demoMenus())).error.find("not been read"),
            std::string::npos);

  const auto refilled = refillMenus(form, names.Grid, views(demoMenus()));
  ASSERT_TRUE(refilled.ok()) << refilled.error;
  EXPECT_TRUE(form.CountryBut(2)) << "the window is left on G, the last side rewritten";
}

TEST(InstallNames, BuildsTheFourFilesOfAGameFolderWithoutWritingThemOrNamesTheOneAtFault) {
  test::TempDir game;
  ASSERT_FALSE(demo::writeDemoGameFolder(game.path()));
  // Wine game folders hold the game's files in any letter case.
  // Written anew rather than renamed: Wine keeps the old spelling on a change of case only.
  const auto pnames = test::readFile(game / "pnames.str");
  fs::remove(game / "pnames.str");
  test::writeFile(game / "PNAMES.STR", pnames);
  const auto before = test::snapshot(game.path());
  Pnameform names;
  Pmnuform menus;
  const auto edit = planeNameFiles(game.path(), 13, "Typhoon Mk Ib Late", names, menus);
  ASSERT_TRUE(edit.ok()) << edit.error;
  EXPECT_EQ(test::snapshot(game.path()), before);

  ASSERT_EQ(edit.files.size(), 4U);
  EXPECT_EQ(edit.files[0].path, game / "PNAMES.STR");
  EXPECT_EQ(edit.files[3].path, game / "picplng.mnu");
  const auto table = readPnames(edit.files[0].bytes);
  ASSERT_TRUE(table.ok()) << table.error;
  EXPECT_EQ(table.names[13], "Typhoon Mk Ib Late");
  EXPECT_EQ(ReadPlaneMenu(MenuSide::B, edit.files[1].bytes).menu.records[0].name,
            "Typhoon Mk Ib Late");
  EXPECT_EQ(edit.files[2].bytes, test::readFile(game / "picplna.mnu"));

  fs::remove(game / "picplng.mnu");
  const auto missing = planeNameFiles(game.path(), 13, "Typhoon", names, menus);
  EXPECT_FALSE(missing.ok());
  EXPECT_TRUE(missing.files.empty());
  EXPECT_NE(missing.error.find("Could not read"), std::string::npos) << missing.error;
  EXPECT_NE(missing.error.find("picplng.mnu"), std::string::npos) << missing.error;
  menus.setCountryBut(2);
  EXPECT_NE(PmenseeFrom(menus, game.path()).find("picplng.mnu"), std::string::npos);
  EXPECT_FALSE(menus.pmenwrite().ok());

  test::writeFile(game / "PNAMES.STR", "short");
  const auto damaged = planeNameFiles(game.path(), 13, "Typhoon", names, menus);
  EXPECT_NE(damaged.error.find(displayPath(game / "PNAMES.STR") + " is damaged"), std::string::npos)
      << damaged.error;
  EXPECT_NE(LoadPnamesFrom(names, game.path()), "");
  EXPECT_EQ(names.Grid.rows(), 0);
}

}  // namespace
}  // namespace kvo
