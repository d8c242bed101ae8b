#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "demo_game.h"
#include "gamefiles/game_folder_files.h"
#include "gamefiles/install_names.h"
#include "platform/file_ops.h"
#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;

// Which entries a refill rewrites, and the refusals an install meets, are checked byte-exact
// through the plane install; here what an install cannot reach.
TEST(InstallNames, RefillRefusesASlotOutsideTheGameAnUnreadTableAndADamagedMenuWholly) {
  Pnameform names;
  ASSERT_EQ(names.LoadPnames(demo::makePnamesStr(demo::defaultPlaneNames())), "");
  const auto row30 = names.Grid.text(30);
  EXPECT_NE(setPlaneName(names.Grid, 30, "X").find("plane slot 30"), std::string::npos);
  EXPECT_EQ(names.Grid.text(30), row30);

  std::array<std::string, 3> menus;
  for (const auto side : {demo::MenuSide::B, demo::MenuSide::A, demo::MenuSide::G}) {
    menus[static_cast<std::size_t>(side)] = demo::makeMenuFile(side, demo::defaultMenuNames(side));
  }
  menus[1].resize(40);
  const std::array<std::string_view, 3> current{menus[0], menus[1], menus[2]};
  Pmnuform form;
  const auto after = refillMenus(form, names.Grid, current);
  EXPECT_NE(after.error.find("picplna.mnu is damaged"), std::string::npos) << after.error;
  for (const auto& bytes : after.bytes) EXPECT_TRUE(bytes.empty());
  EXPECT_NE(refillMenus(form, PnameGrid{}, current).error.find("not been read"), std::string::npos);
}

TEST(InstallNames, BuildsTheFilesOfAGameFolderInAnyCaseWithoutWritingThemOrNamesTheOneAtFault) {
  test::TempDir game;
  ASSERT_FALSE(demo::writeDemoGameFolder(game.path()));
  // Written anew rather than renamed: Wine keeps the old spelling on a change of case only.
  const auto pnames = test::readFile(game / "pnames.str");
  fs::remove(game / "pnames.str");
  test::writeFile(game / "PNAMES.STR", pnames);
  const auto before = test::snapshot(game.path());
  Pnameform names;
  Pmnuform menus;
  const DiskGameFiles disk(game.path());
  const auto edit = planeNameFiles(disk, 13, "Typhoon Mk Ib Late", names, menus);
  ASSERT_TRUE(edit.ok()) << edit.error;
  EXPECT_EQ(test::snapshot(game.path()), before);
  ASSERT_EQ(edit.files.size(), 4U);
  EXPECT_EQ(edit.files[0].path, game / "PNAMES.STR");
  EXPECT_EQ(readPnames(edit.files[0].bytes).names.at(13), "Typhoon Mk Ib Late");

  fs::remove(game / "picplng.mnu");
  const auto missing = planeNameFiles(disk, 13, "Typhoon", names, menus);
  EXPECT_TRUE(missing.files.empty());
  EXPECT_NE(missing.error.find("Could not read"), std::string::npos) << missing.error;
  EXPECT_NE(missing.error.find("picplng.mnu"), std::string::npos) << missing.error;
  menus.setCountryBut(2);
  EXPECT_NE(PmenseeFrom(menus, disk).find("picplng.mnu"), std::string::npos);
  EXPECT_FALSE(menus.pmenwrite().ok());

  test::writeFile(game / "PNAMES.STR", "short");
  const auto damaged = planeNameFiles(disk, 13, "Typhoon", names, menus);
  EXPECT_NE(damaged.error.find(displayPath(game / "PNAMES.STR") + " is damaged"), std::string::npos)
      << damaged.error;
  EXPECT_NE(LoadPnamesFrom(names, disk), "");
  EXPECT_EQ(names.Grid.rows(), 0);
}

}  // namespace
}  // namespace kvo
