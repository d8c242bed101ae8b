// Adding a mod as the window does it: a folder copied in as if it were an archive of itself,
// one reading of the source planned under every name the player tries, the proposal and the
// preview shown before the install, and the grids that show what came.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/install.h"
#include "archive/install_preview.h"
#include "demo_archives.h"
#include "engine/engine_fixture.h"
#include "support/demo_selector_test.h"
#include "transaction/transaction_fixture.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using demo::ArchiveFormat;

class AddModTest : public test::DemoSelectorTest {
 protected:
  fs::path downloads() const { return temp_.path() / "downloads"; }

  // Writes `tree` ("name" -> bytes, "name/" a folder) below downloads/`folder`.
  fs::path folder(const std::string& name, const test::Tree& tree) {
    const auto dir = downloads() / name;
    fs::create_directories(dir);
    for (const auto& [path, bytes] : tree) {
      if (path.ends_with('/')) {
        fs::create_directories(dir / path);
      } else {
        test::writeFile(dir / path, bytes);
      }
    }
    return dir;
  }

  fs::path archive(const std::string& name, const std::vector<demo::ArchiveItem>& items) {
    fs::create_directories(downloads());
    const auto file = downloads() / name;
    EXPECT_FALSE(demo::writeArchive(file, ArchiveFormat::Zip, items)) << name;
    return file;
  }

  InstallPlanning plan(const fs::path& source, InstallRequest request = {}) {
    request.archive = source;
    return planInstall(sel().state, sel().record, request);
  }

  // Plans and installs as the window does; the failure, or "" when it was installed.
  std::string install(const fs::path& source, InstallRequest request = {}) {
    const auto planning = plan(source, request);
    if (!planning.ok()) return planning.refusal;
    return sel().installer.install(planning.plan).outcome.failure;
  }
};

const test::Tree kRiviera = {
    {"eaw.tm", std::string(9000, 't')}, {"maps/", ""}, {"maps/a.ter", "a"}, {"empty/", ""}};

// A folder takes the archive's ways: named like a mod folder it becomes one, loose files need a
// category and are named after the whole folder, a skin goes to the Skinfolder. The folder
// itself is only read.
TEST_F(AddModTest, ADroppedFolderIsCopiedInAsAnArchiveOfItWouldBe) {
  start();
  const auto riviera = folder("T-Riviera", kRiviera);
  EXPECT_EQ(install(riviera), "");
  EXPECT_EQ(test::snapshot(selectorDir() / "T-Riviera"), kRiviera);
  EXPECT_EQ(test::snapshot(riviera), kRiviera);

  const auto dusk = folder("Dusk Skies v1.2", {{"sky.tpc", "s"}, {"horizon.tpc", "h"}});
  const auto unknown = plan(dusk);
  EXPECT_TRUE(unknown.categoryUnknown) << unknown.refusal;
  EXPECT_EQ(install(dusk, {.category = "H"}), "");
  EXPECT_EQ(test::snapshot(selectorDir() / "H-Dusk Skies v1.2"),
            (test::Tree{{"horizon.tpc", "h"}, {"sky.tpc", "s"}}));

  const auto skin = folder("Spit Winter", {{"psp09.3dz", "model"}, {"sp09.tpc", "paint"}});
  EXPECT_EQ(install(skin, {.name = "Spit Snow"}), "");
  EXPECT_EQ(test::readFile(selectorDir() / "Skinfolder/Spit Snow/psp09.3dz"), "model");
}

// What an archive may not hold a folder may not either; the game folder (which holds KVO128)
// is refused before it is read, and a file changed after the plan stops the install.
TEST_F(AddModTest, AFolderIsRefusedWhereAnArchiveWouldBeAndNothingChanges) {
  start();
  const auto before = test::exactTree(game());
  std::string refusal;
  if (!test::whyNoLinks()) {
    const auto linked = folder("T-Linked", {{"a.ter", "a"}});
    fs::create_symlink(game() / "eaw.ini", linked / "eaw.ini");
    refusal = install(linked);
    EXPECT_NE(refusal.find("\"T-Linked/eaw.ini\" is a link"), std::string::npos) << refusal;
  }

  refusal = install(game(), {.category = "T"});
  EXPECT_NE(refusal.find("holds the selector's own folder KVO128"), std::string::npos) << refusal;

  const auto cased = folder("T-Cased", {{"a.txt", "a"}, {"A.TXT", "A"}});
  if (test::holdsEntrySpelled(cased, "a.txt") && test::holdsEntrySpelled(cased, "A.TXT")) {
    refusal = install(cased);
    EXPECT_NE(refusal.find("differ only in letter case"), std::string::npos) << refusal;
  }

  const auto changing = folder("T-Changing", {{"a.ter", "a"}});
  const auto planning = plan(changing);
  ASSERT_TRUE(planning.ok()) << planning.refusal;
  test::writeFile(changing / "a.ter", "grown");
  refusal = sel().installer.install(planning.plan).outcome.failure;
  EXPECT_NE(refusal.find("changed since it was looked at"), std::string::npos) << refusal;
  EXPECT_EQ(test::exactTree(game()), before);
}

// The window reads a source once and plans from that reading as the player types; the proposal
// names what the source names, and the preview says what each folder gets.
TEST_F(AddModTest, OneReadingPlansEveryNameTriedAndThePreviewSaysWhatComes) {
  start();
  const auto zip = archive("Malta.zip", {{"Malta/readme.txt", "read me"},
                                         {"Malta/W-Malta 1942/eaw.tm", std::string(2048, 'w')},
                                         {"Malta/W-Malta 1942/malta.ter", "t"},
                                         {"Malta/F-Malta Spitfires/spit.flt", "f"}});
  const auto source = readSourceDirectory(st(), zip);
  ASSERT_TRUE(source.ok()) << source.refusal;
  fs::remove(zip);  // planning from the reading needs the archive no more
  const auto proposal = proposeInstall(st(), source);
  ASSERT_EQ(proposal.targets.size(), 2u);
  EXPECT_EQ(proposal.targets[0].name, "F-Malta Spitfires");
  const auto set = planInstall(sel().state, sel().record, {}, source);
  ASSERT_TRUE(set.ok()) << set.refusal;
  EXPECT_EQ(installPreview(set.plan),
            (std::vector<std::string>{"F-Malta Spitfires: a new mod folder, 1 file, 1 byte",
                                      "W-Malta 1942: a new mod folder, 2 files, 2.0 KB",
                                      "Left out: Malta\\readme.txt"}));
  const auto named = planInstall(sel().state, sel().record, {.name = "Mine"}, source);
  EXPECT_NE(named.reason.find("complete set of 2 parts"), std::string::npos) << named.reason;

  const auto normandy = folder("T-Normandy", {{"new.ter", "n"}});
  const auto taken = readSourceDirectory(st(), normandy);
  EXPECT_EQ(proposeInstall(st(), taken).targets.at(0).name, "T-Normandy");
  EXPECT_EQ(planInstall(sel().state, sel().record, {}, taken).reason,
            "KVO128 holds a folder named \"T-Normandy\" already");
  const auto replacing = planInstall(sel().state, sel().record, {.replace = true}, taken);
  ASSERT_TRUE(replacing.ok()) << replacing.refusal;
  EXPECT_EQ(installPreview(replacing.plan),
            std::vector<std::string>{
                "T-Normandy: a mod folder, 1 file, 1 byte, replacing the folder of that name"});

  const auto loose = readSourceDirectory(st(), folder("Loose v2.1", {{"x.tpc", "x"}}));
  EXPECT_TRUE(proposeInstall(st(), loose).categoryUnknown);
  EXPECT_EQ(proposeInstall(st(), loose).stem, "Loose v2.1");
  const auto empty = readSourceDirectory(st(), folder("Nothing", {{"inner/", ""}}));
  EXPECT_NE(proposeInstall(st(), empty).refusal.find("holds no mod folder"), std::string::npos);
}

// The new folder is the folder grid's current row, shown (a "C-" career set under its own
// category, since "Show ALL" hides those) and not loaded; the record stays as it was. A new
// skin is the current row of a rebuilt skin grid that keeps the loaded marks.
TEST_F(AddModTest, TheNewFolderIsTheCurrentRowShownAndNotLoaded) {
  start();
  click("T-Normandy");
  ASSERT_TRUE(told(sel().skins.ApplySkinRow(st().SK1.findRow(0, "Spit Mk IX Desert"))).ok());
  const auto loaded = record();
  ASSERT_EQ(install(archive("Career99.zip", {{"C-Career99/c.sve", "c"}})), "");
  const auto& grid = st().Unigrid;
  ASSERT_EQ(grid.text(grid.row, 1), "C-Career99");
  EXPECT_TRUE(grid.rowVisible(grid.row));
  EXPECT_EQ(st().Label6, "C");
  EXPECT_EQ(grid.text(grid.row, 2), "");
  EXPECT_EQ(grid.text(row("T-Normandy"), 2), "S");
  EXPECT_EQ(record(), loaded);
  EXPECT_FALSE(fs::exists(game() / "Savedata/c.sve"));

  ASSERT_EQ(install(folder("Spit Arctic", {{"psp09.3dz", "m"}})), "");
  const auto& skins = st().SK1;
  ASSERT_EQ(skins.text(skins.row, 0), "Spit Arctic");
  EXPECT_TRUE(skins.rowVisible(skins.row));
  EXPECT_EQ(skins.text(skins.findRow(0, "Spit Mk IX Desert"), 1), "S");
  EXPECT_EQ(skins.text(skins.row, 1), "");
  EXPECT_EQ(record(), loaded);

  ASSERT_EQ(install(folder("Scripts", {{"Arctic.set", "Spit Arctic\r\n"}})), "");
  const auto& scripts = st().File10.items;
  EXPECT_NE(std::find(scripts.begin(), scripts.end(), "Arctic.set"), scripts.end());
}

}  // namespace
}  // namespace kvo
