#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "demo_game.h"
#include "planes/alt_planes.h"
#include "planes/loadout_patch.h"
#include "planes_fixture.h"
#include "platform/text_file.h"
#include "support/cli_runner.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;
using demo::MenuSide;

// Which plane slots feed entries 0, 1, ... of each side's menu, as the game's menus are laid out.
const std::map<MenuSide, std::vector<int>> kMenuSlots = {
    {MenuSide::B, {13, 11, 10, 9, 14, 12}},
    {MenuSide::A, {5, 3, 4, 2, 0, 1}},
    {MenuSide::G, {18, 17, 22, 23, 16, 24, 20, 19}}};

class PlaneInstallTest : public PlanesTest {
 protected:
  void startWithPlanes() {
    start();
    click("F-Alternative Planes");
    ASSERT_TRUE(st().Frame6Visible);
  }
  static fs::path onlyFile(const fs::path& dir, const std::string& extension) {
    fs::path found;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().extension() == extension) found = entry.path();
    }
    return found;
  }
};

// planes.dat with record bytes 4..171 of `slot` taken from the lines of a plane record file.
std::string withRecord(std::string planesDat, int slot, const std::string& kvo) {
  const auto lines = splitLines(kvo);
  for (std::size_t k = 1; k <= 168; ++k) {
    planesDat[216 * static_cast<std::size_t>(slot) + 3 + k] =
        static_cast<char>(std::stoi(lines[k]));
  }
  return planesDat;
}

using AltPlanesTest = PlaneInstallTest;
using Names = std::vector<std::string>;

Names shownRows(const Grid& grid) {
  Names shown;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.rowVisible(r)) shown.push_back(grid.text(r, 0));
  }
  return shown;
}

// The flight model's planes.dat ends inside slot 18's fuel: that slot shows no fuel at all.
TEST_F(AltPlanesTest, FilterAndHoverShowAllSelectedOrOnePlaneCodeWithItsFuel) {
  writeFile(fm() / "planes.dat", readFile(fm() / "planes.dat").substr(0, 216 * 18 + 41));
  startWithPlanes();
  applySkin("Bf109G Winter");
  applyPlane("P-Mustang III");
  sel().skins.FilterGrids(0);
  EXPECT_EQ(shownRows(st().SK1).size(), demo::demoSkinFolderNames().size());
  EXPECT_EQ(shownRows(st().G1).size(), 3U);
  sel().skins.FilterGrids(1);
  EXPECT_EQ(shownRows(st().SK1), Names{"Bf109G Winter"});
  EXPECT_EQ(shownRows(st().G1), Names{"P-Mustang III"});
  EXPECT_EQ(st().G1.back(planeRow("P-Mustang III"), 3), kLoadedGreen);
  sel().skins.FilterGrids(17 + 2);  // 109G
  EXPECT_EQ(shownRows(st().SK1), (Names{"Bf109G Tropical", "Bf109G Winter"}));
  EXPECT_EQ(shownRows(st().G1), Names{"P-Bf 109G-10"});
  EXPECT_EQ(st().Label26, std::to_string(demo::alternativePlanesFuel()[17]));
  EXPECT_EQ(st().Label27, std::to_string(216 * 17 + 41));
  sel().skins.FilterGrids(18 + 2);
  EXPECT_EQ(st().Label26, "");
  EXPECT_EQ(st().Label27, "");
  sel().planes.G1_MouseMove(planeRow("P-Bf 109G-10"));
  EXPECT_EQ(sel().planes.label19(), (std::array<std::string, 2>{"17", "109G"}));
  EXPECT_NE(st().Text10.find("Bf 109G-10"), std::string::npos);
  EXPECT_EQ(shownRows(st().SK1), (Names{"Bf109G Tropical", "Bf109G Winter"}));
}

TEST_F(AltPlanesTest, ASecondPlaneForTheSameSlotTakesTheMarkOnceInstalledAndKeepsIt) {
  writeFile(fm() / "P-Gustav Late/late.kvo", demo::makeKvoRecord("Bf 109G-14", 17, "109g", 1400));
  startWithPlanes();
  applyPlane("P-Bf 109G-10");
  const auto pnames = readFile(game() / "pnames.str");
  fs::remove(game() / "pnames.str");
  applyPlane("P-Gustav Late");
  EXPECT_TRUE(installed("P-Bf 109G-10")) << "a failed install keeps the earlier plane's mark";
  EXPECT_FALSE(installed("P-Gustav Late"));
  EXPECT_EQ(st().G1.back(planeRow("P-Bf 109G-10"), 3), kLoadedGreen);
  writeFile(game() / "pnames.str", pnames);
  applyPlane("P-Gustav Late");
  EXPECT_EQ(record(), "F-Alternative Planes\r\nP-Gustav Late\r\n\r\n");
  EXPECT_EQ(st().G1.back(planeRow("P-Bf 109G-10"), 3), st().DefaultCellColour);
  selector_.reset();
  start();
  EXPECT_TRUE(installed("P-Gustav Late"));
  EXPECT_FALSE(installed("P-Bf 109G-10"));
}

// The current cell is an installed plane's painted name when the flight model goes: rows
// unloaded later must keep the plain background. Without plane folders the frame stays hidden.
TEST_F(AltPlanesTest, SwappingFlightModelsRefillsOrEmptiesThePlaneGrid) {
  const auto stock = selectorDir() / "F-Stock Flight Model";
  fs::copy(fm() / "P-Mustang III", stock / "P-Mustang III");
  startWithPlanes();
  st().G1.col = 3;
  applyPlane("P-Mustang III");
  click("F-Stock Flight Model");
  ASSERT_TRUE(st().Frame6Visible);
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
  startWithPlanes();
  const int mustang = planeRow("P-Mustang III");
  ASSERT_GT(mustang, 0);
  EXPECT_EQ(st().G1.text(mustang, 3), "Mustang Mk III");
  EXPECT_EQ(st().G1.text(mustang, 2), "");
  EXPECT_EQ(st().G1.back(mustang, 0), kUnusablePlane);
  EXPECT_FALSE(sel().planes.unusableReason(planeRow("P-Empty")).empty());
  EXPECT_EQ(st().G1.text(planeRow("P-Tabbed"), 3), "Spit\tS");
  EXPECT_EQ(st().G1.text(planeRow("P-Tabbed"), 4), "");
  EXPECT_EQ(st().G1.text(planeRow("P-Range"), 2), "P51B");
  EXPECT_EQ(st().G1.back(planeRow("P-Range"), 0), kUnusablePlane);
  applyPlane("P-Mustang III");
  expectOneMessageWith({"P-Mustang III"});
  EXPECT_EQ(st().G1.text(mustang, 4), "");
}

TEST_F(PlaneInstallTest, EachDemoPlaneChangesTheGameFilesExactlyAsItsFolderSays) {
  startWithPlanes();
  auto names = demo::defaultPlaneNames();
  auto planesDat = readFile(game() / "planes.dat");
  auto loadout = readFile(game() / "loadout.dat");
  for (const auto& plane : demo::demoAlternativePlanes()) {
    SCOPED_TRACE(plane.folder);
    const auto dir = fm() / plane.folder;
    applyPlane(plane.folder);
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
    planesDat = withRecord(planesDat, plane.slot, readFile(onlyFile(dir, ".kvo")));
    EXPECT_EQ(readFile(game() / "planes.dat"), planesDat);
    names[static_cast<std::size_t>(plane.slot)] = plane.name;
    EXPECT_EQ(readFile(game() / "pnames.str"), demo::makePnamesStr(names));
    for (const auto& [side, slots] : kMenuSlots) {
      auto shown = demo::defaultMenuNames(side);
      for (std::size_t k = 0; k < slots.size(); ++k) {
        shown[k] = names[static_cast<std::size_t>(slots[k])];
      }
      EXPECT_EQ(readFile(game() / demo::menuFileName(side)), demo::makeMenuFile(side, shown));
    }
    if (plane.slot == 17) {
      for (std::size_t i = 0; i < 5; ++i) loadout[1999 + i] = "\3\1\4\1\5"[i];
    } else {
      loadout[static_cast<std::size_t>(99 + plane.slot)] = 7;
      loadout[1499] = 42;
    }
    EXPECT_EQ(readFile(game() / "loadout.dat"), loadout);
    const auto flt = onlyFile(dir, ".flt");
    EXPECT_EQ(readFile(game() / flt.filename()), readFile(flt));
    EXPECT_EQ(st().Label26, std::to_string(plane.fuel));
    EXPECT_EQ(st().Label27, std::to_string(216 * plane.slot + 41));
  }
  EXPECT_EQ(record(),
            "F-Alternative Planes\r\nP-Bf 109G-10\r\nP-Mustang III\r\nP-Spitfire LF Mk IX\r\n\r\n");
}

// Every other byte of any planes.dat stays, the name goes to pnames.str without its blanks,
// and a loadout patch is skipped while its folder holds a second one of its kind.
TEST_F(PlaneInstallTest, ARecordAndItsPatchesChangeOnlyTheirBytes) {
  std::vector<std::string> lines{"  Thunderbolt Test  ", "3"};
  for (int k = 2; k <= 168; ++k) lines.push_back(std::to_string((k * 37 + 11) % 255));
  writeFile(fm() / "P-Jug/jug.kvo", demo::crlfLines(lines));
  // Positions count from 1, halves round to even, blank lines at the end carry nothing.
  writeFile(fm() / "P-Jug/a.lox", "100\r\n7\r\n1500\r\n2.5\r\n\r\n");
  writeFile(fm() / "P-Jug/a.lo2", demo::makeLo1Patch(10, {}));  // a start line writes nothing
  writeFile(fm() / "P-Bf 109G-10/second.lo1", demo::makeLo1Patch(30, {9}));
  startWithPlanes();
  writeFile(game() / "planes.dat", std::string(216 * 30, '\xFF'));
  auto loadout = readFile(game() / "loadout.dat");
  applyPlane("P-Jug");
  EXPECT_EQ(readFile(game() / "planes.dat"),
            withRecord(std::string(216 * 30, '\xFF'), 3, demo::crlfLines(lines)));
  auto names = demo::defaultPlaneNames();
  names[3] = "Thunderbolt Test";
  EXPECT_EQ(readFile(game() / "pnames.str"), demo::makePnamesStr(names));
  loadout[99] = 7;
  loadout[1499] = 2;
  EXPECT_EQ(readFile(game() / "loadout.dat"), loadout);
  applyPlane("P-Bf 109G-10");
  EXPECT_EQ(readFile(game() / "loadout.dat"), loadout);
  EXPECT_TRUE(shell.messages.empty());
}

// One way the game folder or the plane folder can be unfit for an install.
using Damager = std::function<void(const fs::path& game, const fs::path& plane)>;
struct Damage {
  const char* what;
  Damager apply;
  const char* named;  // the file the message must name
  const char* where;  // the line, offset or reason it must give
};

// The plane record file of the plane rewritten with `count` lines, line `changed` set to `to`.
Damager recordWith(std::size_t count, std::size_t changed = 0, std::string to = {}) {
  return [=](const fs::path&, const fs::path& plane) {
    auto lines = splitLines(readFile(plane / "p51balt.kvo"));
    lines.resize(count);
    if (changed) lines[changed - 1] = to;
    writeFile(plane / "p51balt.kvo", demo::crlfLines(lines));
  };
}

const Damage kDamages[] = {
    {"ShortRecord", recordWith(168), "p51balt.kvo", "168 lines"},
    {"Byte256", recordWith(169, 50, "256"), "p51balt.kvo", "line 50"},
    {"Slot30", recordWith(169, 2, "30"), "p51balt.kvo", "\"30\""},
    {"SlotWithFraction", recordWith(169, 2, "4.5"), "p51balt.kvo", "\"4.5\""},
    {"NoName", recordWith(169, 1, "   "), "p51balt.kvo", "names no aircraft"},
    {"NoPlanesDat", [](auto& g, auto&) { fs::remove(g / "planes.dat"); }, "planes.dat", "archives"},
    {"ShortPlanesDat",
     [](auto& g, auto&) { writeFile(g / "planes.dat", std::string(216 * 29, 'x')); }, "planes.dat",
     "offset 6264"},
    {"PatchPastTheEnd", [](auto&, auto& p) { writeFile(p / "p51balt.lox", "6145\r\n1\r\n"); },
     "p51balt.lox", "offset 6144"},
    {"NoPnames", [](auto& g, auto&) { fs::remove(g / "pnames.str"); }, "pnames.str", "not there"},
    {"ShortMenu",
     [](auto& g, auto&) { writeFile(g / "picplng.mnu", readFile(g / "picplng.mnu").substr(1)); },
     "picplng.mnu", "offset"},
    {"NameTooLongForAMenu", recordWith(169, 1, std::string(255, 'M')), "picplna.mnu", "255"},
};

class PlaneInstallRefusal : public PlaneInstallTest,
                            public ::testing::WithParamInterface<Damage> {};

TEST_P(PlaneInstallRefusal, NamesTheFileAndLeavesEveryByteAndTheMark) {
  startWithPlanes();
  GetParam().apply(game(), fm() / "P-Mustang III");
  const auto before = snapshot(temp_.path());
  applyPlane("P-Mustang III");
  EXPECT_EQ(snapshot(temp_.path()), before);
  EXPECT_FALSE(installed("P-Mustang III"));
  expectOneMessageWith({GetParam().named, GetParam().where});
}

INSTANTIATE_TEST_SUITE_P(Damages, PlaneInstallRefusal, ::testing::ValuesIn(kDamages),
                         [](const auto& damage) { return std::string(damage.param.what); });

// Slot 0 has no alternative plane and is chosen in List1; its fuel is above 32767.
TEST_F(PlaneInstallTest, FuelButtonsWriteTheirShareOfTheFullFuel) {
  writeFile(fm() / "planes.dat", readFile(fm() / "planes.dat").replace(40, 2, "\x40\x9C"));
  startWithPlanes();
  auto planesDat = readFile(game() / "planes.dat");
  const auto press = [&](int button) { told(sel().planes.SetFuelLoad(st().fuelSlot, button)); };
  press(0);  // no slot chosen yet
  EXPECT_EQ(readFile(game() / "planes.dat"), planesDat);
  sel().skins.FilterGrids(2);
  EXPECT_EQ(st().Label26, "40000");
  press(5);
  press(1);                              // every button works from the full fuel: 75 % of it
  planesDat.replace(40, 2, "\x30\x75");  // 30000
  EXPECT_EQ(readFile(game() / "planes.dat"), planesDat);
  EXPECT_TRUE(shell.messages.empty());
}

// The editor windows stay open while planes go in: a save reads the file again and changes
// only the entries the player edited, only in the file of the side shown; a file that a reset
// swept away is not made again. What the editors refuse leaves the file as it was.
TEST_F(PlaneInstallTest, EditorsSaveOnlyTheEditedEntriesIntoTheFilesAsTheyAreNow) {
  startWithPlanes();
  auto& editors = sel().planes.editors();
  ASSERT_TRUE(editors.LoadPnames().ok());
  ASSERT_TRUE(editors.Pmensee(kvo::MenuSide::A).ok());
  applyPlane("P-Mustang III");  // slot 4, and the menus of all three sides
  ASSERT_TRUE(installed("P-Mustang III"));
  auto names = demo::defaultPlaneNames();
  names[4] = "Mustang Mk III";
  names[1] = "Lightning J";
  ASSERT_TRUE(told(editors.SavePnames({{1, "Lightning J"}})).ok());
  EXPECT_EQ(readFile(game() / "pnames.str"), demo::makePnamesStr(names));

  const auto menus = [&] {
    std::map<std::string, std::string> bytes;
    for (const auto side : {MenuSide::B, MenuSide::A, MenuSide::G}) {
      bytes[std::string(demo::menuFileName(side))] = readFile(game() / demo::menuFileName(side));
    }
    return bytes;
  };
  auto expected = menus();
  auto shownA = demo::defaultMenuNames(MenuSide::A);
  shownA[2] = "Mustang Mk III";  // the install's entry for slot 4
  shownA[3] = "Me 163 Komet";
  expected["picplna.mnu"] = demo::makeMenuFile(MenuSide::A, shownA);
  ASSERT_TRUE(told(editors.pmenwrite(kvo::MenuSide::A, {{3, "Me 163 Komet"}})).ok());
  EXPECT_TRUE(menus() == expected);
  const auto before = snapshot(game());
  EXPECT_FALSE(told(editors.pmenwrite(kvo::MenuSide::G, {{3, std::string(255, 'x')}})).ok());
  EXPECT_FALSE(told(editors.SavePnames({{-1, "No such slot"}})).ok());
  EXPECT_TRUE(snapshot(game()) == before);
  EXPECT_EQ(shell.messages.size(), 2U);

  shell.messages.clear();
  told(sel().reset.Command1_Click());
  ASSERT_FALSE(fs::exists(game() / "pnames.str"));
  ASSERT_FALSE(fs::exists(game() / "picplna.mnu"));
  const auto swept = snapshot(game());
  EXPECT_FALSE(told(editors.SavePnames({{1, "Lightning J"}})).ok());
  EXPECT_FALSE(told(editors.pmenwrite(kvo::MenuSide::A, {{0, "Spitfire"}})).ok());
  EXPECT_TRUE(snapshot(game()) == swept);
  ASSERT_EQ(shell.messages.size(), 2U);
  EXPECT_NE(
      shell.messages[0].text.find("pnames.str is not in the game folder, so it was not saved"),
      std::string::npos)
      << shell.messages[0].text;
  EXPECT_NE(shell.messages[1].text.find("picplna.mnu is not in the game folder"), std::string::npos)
      << shell.messages[1].text;
}

// What a patch writes is tested byte-exact by the plane tests; here the patches refused whole.
TEST(LoadoutPatch, RefusesAPatchItCannotApplyWhole) {
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"100\r\n7\r\n200\r\n", false, "line 3"},  // a position without its value
      {"0\r\n7\r\n", false, "line 1"},          {"100\r\n256\r\n", false, "line 2"},
      {"-4\r\n1\r\n", true, "line 1"},          {"10\r\n1\r\n-1\r\n", true, "line 3"},
  };
  for (const auto& [text, sequential, problem] : cases) {
    const auto patch = sequential ? readSequentialPatch(text) : readLoxPatch(text);
    EXPECT_FALSE(patch.usable()) << text;
    EXPECT_NE(patch.problem.find(problem), std::string::npos) << patch.problem;
  }
}

using PlaneCommandsTest = PlanesTest;

// What each command changes is tested through the window; here each reaches the core once.
TEST_F(PlaneCommandsTest, SkinPlaneFuelResetAndDelMsnExitByOutcome) {
  CliRunner kvo(game());
  EXPECT_EQ(kvo.run({"--include-flt", "skin", "Bf109G Winter"}), 0) << kvo.err();
  EXPECT_TRUE(inGame("p109g.flt"));
  EXPECT_EQ(kvo.run({"skin", "No Such Skin"}), 2);
  EXPECT_EQ(kvo.run({"rename-skin", "Bf109G Winter", "Gustav Snow"}), 0) << kvo.err();
  EXPECT_TRUE(std::filesystem::is_directory(skinDir("Gustav Snow")));
  EXPECT_EQ(kvo.run({"--include-flt", "clear-skins"}), 0) << kvo.err();
  EXPECT_FALSE(inGame("p109g.flt"));
  ASSERT_EQ(kvo.run({"click", "F-Alternative Planes"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"plane", "P-Mustang III"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"list", "planes"}), 0) << kvo.err();
  EXPECT_EQ(kvo.out(),
            "-\t17\t109G\tP-Bf 109G-10\tBf 109G-10\n"
            "S\t4\tP51B\tP-Mustang III\tMustang Mk III\n"
            "-\t11\tSP09\tP-Spitfire LF Mk IX\tSpitfire LF Mk IXe\n");
  ASSERT_EQ(kvo.run({"list", "menu", "A"}), 0) << kvo.err();
  EXPECT_NE(kvo.out().find("2\t15\tMustang Mk III\n"), std::string::npos) << kvo.out();
  EXPECT_EQ(kvo.run({"plane", "P-Nothing"}), 2);
  EXPECT_EQ(kvo.run({"list", "menu", "X"}), 2);
  ASSERT_EQ(kvo.run({"fuel", "p51b", "50"}), 0) << kvo.err();
  // Half the installed plane's 1800, also after a restart.
  EXPECT_EQ(readFile(game() / "planes.dat").substr(216 * 4 + 40, 2), "\x84\x03");
  EXPECT_EQ(kvo.run({"fuel", "P51B", "33"}), 2);
  std::filesystem::remove(game() / "pnames.str");
  EXPECT_EQ(kvo.run({"list", "names"}), 1);
  EXPECT_NE(kvo.err().find("pnames.str"), std::string::npos);
  EXPECT_EQ(kvo.run({"reset"}), 0) << kvo.err();
  EXPECT_FALSE(inGame("fighters.flt"));
  EXPECT_EQ(kvo.run({"del-msn"}), 0) << kvo.err();
  EXPECT_FALSE(inGame("Savedata/DefaultA.msn"));
}

}  // namespace
}  // namespace kvo::test
