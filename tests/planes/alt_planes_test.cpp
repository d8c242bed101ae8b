#include <gtest/gtest.h>

#include <filesystem>

#include "planes/alt_planes.h"
#include "planes_fixture.h"
#include "platform/listing.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

class AltPlanesTest : public PlanesTest {
 protected:
  std::vector<std::string> shownRows(const Grid& grid, int col) {
    std::vector<std::string> shown;
    for (int r = 1; r < grid.rows(); ++r) {
      if (grid.rowVisible(r)) shown.push_back(grid.text(r, col));
    }
    return shown;
  }
  using Names = std::vector<std::string>;
};

// A flight model without plane folders hides the frame and leaves the plane grid empty.
TEST_F(AltPlanesTest, LoadingTheFlightModelFillsThePlaneGrid) {
  start();
  click("F-Alternative Planes");
  ASSERT_TRUE(st().Frame6Visible);
  ASSERT_EQ(st().G1.rows(), 4);
  const auto planes = demo::demoAlternativePlanes();
  for (int r = 1; r < 4; ++r) {
    const auto& plane = planes[static_cast<std::size_t>(r - 1)];
    EXPECT_EQ(st().G1.text(r, 0), plane.folder);
    EXPECT_EQ(st().G1.text(r, 1), std::to_string(plane.slot));
    EXPECT_EQ(st().G1.text(r, 2), toUpperAscii(plane.artCode));
    EXPECT_EQ(st().G1.text(r, 3), plane.name);
  }
  EXPECT_EQ(st().Label2, (fm() / "").string());
  click("F-Stock Flight Model");
  EXPECT_FALSE(st().Frame6Visible);
  EXPECT_EQ(st().G1.rows(), 1);
  EXPECT_FALSE(marked("F-Alternative Planes"));
}

TEST_F(AltPlanesTest, FilterShowsAllSelectedOrOnePlaneCodeWithItsFuel) {
  start();
  click("F-Alternative Planes");
  applySkin("Bf109G Winter");
  applyPlane("P-Mustang III");
  EXPECT_EQ(record(), "F-Alternative Planes\r\nBf109G Winter\r\nP-Mustang III\r\n\r\n");
  sel().skins.FilterGrids(0);
  EXPECT_EQ(shownRows(st().SK1, 0).size(), demo::demoSkinFolderNames().size());
  EXPECT_EQ(shownRows(st().G1, 0).size(), 3U);
  EXPECT_EQ(st().SK1.text(0, 0), "ALL");
  sel().skins.FilterGrids(1);
  EXPECT_EQ(shownRows(st().SK1, 0), Names{"Bf109G Winter"});
  EXPECT_EQ(shownRows(st().G1, 0), Names{"P-Mustang III"});
  EXPECT_EQ(st().G1.back(planeRow("P-Mustang III"), 3), kLoadedGreen);
  sel().skins.FilterGrids(11 + 2);  // SP09
  EXPECT_EQ(shownRows(st().SK1, 0), Names{"Spit Mk IX Desert"});
  sel().skins.FilterGrids(17 + 2);  // 109G
  EXPECT_EQ(shownRows(st().SK1, 0), (Names{"Bf109G Tropical", "Bf109G Winter"}));
  EXPECT_EQ(shownRows(st().G1, 0), Names{"P-Bf 109G-10"});
  EXPECT_EQ(st().Label26, std::to_string(demo::alternativePlanesFuel()[17]));
  EXPECT_EQ(st().Label27, std::to_string(216 * 17 + 41));
}

TEST_F(AltPlanesTest, ShortPlanesDatLeavesTheFuelOfMissingSlotsEmpty) {
  const auto full = readFile(fm() / "planes.dat");
  writeFile(fm() / "planes.dat", full.substr(0, 216 * 10 + 41));  // ends inside slot 10's fuel
  start();
  click("F-Alternative Planes");
  sel().skins.FilterGrids(9 + 2);
  EXPECT_EQ(st().Label26, std::to_string(demo::alternativePlanesFuel()[9]));
  sel().skins.FilterGrids(10 + 2);
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

TEST_F(AltPlanesTest, UnloadedRowsKeepTheBackgroundAfterSwappingFlightModels) {
  fs::copy(fm() / "P-Mustang III", selectorDir() / "F-Stock Flight Model/P-Mustang III");
  start();
  click("F-Alternative Planes");
  st().G1.col = 3;  // the player clicks the aircraft's name, which installing paints
  applyPlane("P-Mustang III");
  click("F-Stock Flight Model");
  ASSERT_TRUE(st().Frame6Visible);
  click("F-Stock Flight Model");
  EXPECT_EQ(st().Unigrid.back(st().Unigrid.findRow(1, "F-Stock Flight Model"), 1), 0U);
}

TEST_F(AltPlanesTest, AFaultyPlaneRecordIsListedButCannotBeChosen) {
  const auto dir = fm() / "P-Mustang III";
  const auto kvo = dir / "p51balt.kvo";
  auto text = readFile(kvo);
  writeFile(kvo, text.substr(0, text.size() / 2));
  fs::create_directories(fm() / "P-Empty");
  writeFile(fm() / "P-Tabbed/tab.kvo", demo::makeKvoRecord("Spit\tS", 11, "sp09", 900));
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
  applyPlane("P-Mustang III");
  expectOneMessageWith({"P-Mustang III"});
  EXPECT_EQ(st().G1.text(mustang, 4), "");
}

}  // namespace
}  // namespace kvo::test
