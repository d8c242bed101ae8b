#include <gtest/gtest.h>

#include <filesystem>

#include "planes/alt_planes.h"
#include "planes_fixture.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using AltPlanesTest = PlanesTest;
using Names = std::vector<std::string>;

Names shownRows(const Grid& grid) {
  Names shown;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.rowVisible(r)) shown.push_back(grid.text(r, 0));
  }
  return shown;
}

// The flight model's planes.dat ends inside slot 18's fuel: that slot shows no fuel at all.
TEST_F(AltPlanesTest, FilterShowsAllSelectedOrOnePlaneCodeWithItsFuel) {
  writeFile(fm() / "planes.dat", readFile(fm() / "planes.dat").substr(0, 216 * 18 + 41));
  start();
  click("F-Alternative Planes");
  applySkin("Bf109G Winter");
  applyPlane("P-Mustang III");
  sel().skins.FilterGrids(0);
  EXPECT_EQ(shownRows(st().SK1).size(), demo::demoSkinFolderNames().size());
  EXPECT_EQ(shownRows(st().G1).size(), 3U);
  EXPECT_EQ(st().SK1.text(0, 0), "ALL");
  sel().skins.FilterGrids(1);
  EXPECT_EQ(shownRows(st().SK1), Names{"Bf109G Winter"});
  EXPECT_EQ(shownRows(st().G1), Names{"P-Mustang III"});
  EXPECT_EQ(st().G1.back(planeRow("P-Mustang III"), 3), kLoadedGreen);
  sel().skins.FilterGrids(11 + 2);  // SP09
  EXPECT_EQ(shownRows(st().SK1), Names{"Spit Mk IX Desert"});
  sel().skins.FilterGrids(17 + 2);  // 109G
  EXPECT_EQ(shownRows(st().SK1), (Names{"Bf109G Tropical", "Bf109G Winter"}));
  EXPECT_EQ(shownRows(st().G1), Names{"P-Bf 109G-10"});
  EXPECT_EQ(st().Label26, std::to_string(demo::alternativePlanesFuel()[17]));
  EXPECT_EQ(st().Label27, std::to_string(216 * 17 + 41));
  sel().skins.FilterGrids(18 + 2);
  EXPECT_EQ(st().Label26, "");
  EXPECT_EQ(st().Label27, "");
}

TEST_F(AltPlanesTest, ASecondPlaneForTheSameSlotTakesTheMarkOnceInstalledAndKeepsIt) {
  fs::create_directories(fm() / "P-Gustav Late");
  writeFile(fm() / "P-Gustav Late/late.kvo", demo::makeKvoRecord("Bf 109G-14", 17, "109g", 1400));
  start();
  click("F-Alternative Planes");
  applyPlane("P-Bf 109G-10");
  const auto pnames = readFile(game() / "pnames.str");
  fs::remove(game() / "pnames.str");
  applyPlane("P-Gustav Late");
  EXPECT_TRUE(installed("P-Bf 109G-10")) << "a failed install keeps the earlier plane's mark";
  EXPECT_FALSE(installed("P-Gustav Late"));
  EXPECT_EQ(st().G1.back(planeRow("P-Bf 109G-10"), 3), kLoadedGreen);
  writeFile(game() / "pnames.str", pnames);
  applyPlane("P-Gustav Late");
  EXPECT_FALSE(installed("P-Bf 109G-10"));
  EXPECT_EQ(st().G1.back(planeRow("P-Bf 109G-10"), 3), st().DefaultCellColour);
  EXPECT_TRUE(installed("P-Gustav Late"));
  selector_.reset();
  start();
  EXPECT_TRUE(st().Frame6Visible);
  EXPECT_TRUE(installed("P-Gustav Late"));
  EXPECT_FALSE(installed("P-Bf 109G-10"));
}

// The current cell is an installed plane's painted name when the flight model goes: rows
// unloaded later must keep the plain background. Without plane folders the frame stays hidden.
TEST_F(AltPlanesTest, SwappingFlightModelsRefillsOrEmptiesThePlaneGrid) {
  const auto stock = selectorDir() / "F-Stock Flight Model";
  fs::copy(fm() / "P-Mustang III", stock / "P-Mustang III");
  start();
  click("F-Alternative Planes");
  EXPECT_EQ(st().Label2, (fm() / "").string());
  st().G1.col = 3;
  applyPlane("P-Mustang III");
  click("F-Stock Flight Model");
  ASSERT_TRUE(st().Frame6Visible);
  EXPECT_EQ(st().G1.rows(), 2);
  click("F-Stock Flight Model");
  EXPECT_EQ(st().Unigrid.back(row("F-Stock Flight Model"), 1), 0U);
  EXPECT_FALSE(st().Frame6Visible);
  EXPECT_EQ(st().G1.rows(), 1);
  fs::remove_all(stock / "P-Mustang III");
  click("F-Stock Flight Model");
  EXPECT_FALSE(st().Frame6Visible);
}

TEST_F(AltPlanesTest, AFaultyPlaneRecordIsListedButCannotBeChosen) {
  const auto kvo = fm() / "P-Mustang III/p51balt.kvo";
  writeFile(kvo, readFile(kvo).substr(0, readFile(kvo).size() / 2));
  fs::create_directories(fm() / "P-Empty");
  writeFile(fm() / "P-Tabbed/tab.kvo", demo::makeKvoRecord("Spit\tS", 11, "sp09", 900));
  auto range = splitLines(demo::makeKvoRecord("Range", 4, "p51b", 1800));
  range[49] = "300";  // no byte: the art code, read from the last lines, is still shown
  writeFile(fm() / "P-Range/range.kvo", joinLinesCrLf(range));
  start();
  click("F-Alternative Planes");
  const int mustang = planeRow("P-Mustang III");
  ASSERT_GT(mustang, 0);
  EXPECT_EQ(st().G1.text(mustang, 3), "Mustang Mk III");
  EXPECT_EQ(st().G1.text(mustang, 2), "");
  EXPECT_EQ(st().G1.back(mustang, 0), kUnusablePlane);
  EXPECT_FALSE(sel().planes.unusableReason(mustang).empty());
  EXPECT_FALSE(sel().planes.unusableReason(planeRow("P-Empty")).empty());
  EXPECT_EQ(st().G1.text(planeRow("P-Tabbed"), 3), "Spit\tS");
  EXPECT_EQ(st().G1.text(planeRow("P-Tabbed"), 4), "");
  EXPECT_EQ(st().G1.text(planeRow("P-Range"), 2), "P51B");
  EXPECT_EQ(st().G1.back(planeRow("P-Range"), 0), kUnusablePlane);
  applyPlane("P-Mustang III");
  expectOneMessageWith({"P-Mustang III"});
  EXPECT_EQ(st().G1.text(mustang, 4), "");
}

}  // namespace
}  // namespace kvo::test
