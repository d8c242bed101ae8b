// `kvo install` on archives the tests write: with libarchive's writer (zip, 7z, tar.gz,
// tar.xz) and byte by byte (rar 4 and 5, zip names as raw bytes, zip claims that lie).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/selector.h"
#include "archive/install.h"
#include "archive/selector_text.h"
#include "demo_archives.h"
#include "demo_game.h"
#include "platform/listing.h"
#include "platform/text_file.h"
#include "state/history.h"
#include "support/cli_runner.h"
#include "support/handmade_archives.h"
#include "support/test_support.h"
#include "transaction/transaction_fixture.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using demo::ArchiveFormat;
using demo::ArchiveItem;
using demo::ItemKind;
using test::HandmadeEntry;

fs::path utf8Path(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// The name as the command prints it: the selector's 8-bit text.
std::string shown(std::string_view utf8) {
  return selectorTextOf(utf8).value_or("(not held)");
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(demo::writeDemoGameFolder(game()));
    fs::create_directories(downloads());
    ASSERT_EQ(cli.run({"status"}), 0);  // the first start makes what a start makes
  }

  fs::path game() const { return temp / "EAW"; }
  fs::path selector() const { return game() / "KVO128"; }
  fs::path downloads() const { return temp / "downloads"; }

  fs::path written(const std::string& name, ArchiveFormat format,
                   const std::vector<ArchiveItem>& items, demo::ArchiveOptions options = {}) {
    const auto file = downloads() / utf8Path(name);
    EXPECT_FALSE(demo::writeArchive(file, format, items, options)) << name;
    return file;
  }
  fs::path written(const std::string& name, const std::string& bytes) {
    const auto file = downloads() / utf8Path(name);
    test::writeFile(file, bytes);
    return file;
  }

  int install(const fs::path& archive, std::vector<std::string> options = {}) {
    options.insert(options.begin(), {"install", pathToText(archive)});
    return cli.run(options);
  }

  test::TempDir temp;
  test::CliRunner cli{game()};
};

const std::vector<ArchiveItem> kRiviera = {{"T-Riviera/", "", ItemKind::Folder},
                                           {"T-Riviera/eaw.tm", std::string(9000, 't')},
                                           {"T-Riviera/maps/a.ter", "a"},
                                           {"T-Riviera/empty/", "", ItemKind::Folder}};
const test::Tree kRivieraTree = {
    {"eaw.tm", std::string(9000, 't')}, {"maps/", ""}, {"maps/a.ter", "a"}, {"empty/", ""}};

HandmadeEntry file(std::string name, std::string bytes = "x") {
  return {.name = std::move(name), .bytes = std::move(bytes)};
}

HandmadeEntry unicode(std::string name) {
  return {.name = std::move(name), .bytes = "x", .unicode = true};
}

std::vector<HandmadeEntry> handmadeRiviera() {
  return {{.name = "T-Riviera/", .folder = true},
          {.name = "T-Riviera/eaw.tm", .bytes = std::string(9000, 't')},
          {.name = "T-Riviera/maps/", .folder = true},
          {.name = "T-Riviera/maps/a.ter", .bytes = "a"},
          {.name = "T-Riviera/empty/", .folder = true}};
}

// Every format unpacks the same folder whole; each new folder is listed, not loaded.
TEST_F(InstallTest, EveryFormatUnpacksTheWholeFolderListedButNotLoaded) {
  const std::pair<std::string, fs::path> archives[] = {
      {"Zip", written("T-Riviera.zip", ArchiveFormat::Zip, kRiviera)},
      {"Sevenzip", written("T-Riviera.7z", ArchiveFormat::SevenZip, kRiviera)},
      {"Targz", written("T-Riviera.tar.gz", ArchiveFormat::TarGz, kRiviera)},
      {"Tarxz", written("T-Riviera.tar.xz", ArchiveFormat::TarXz, kRiviera)},
      {"Rarfour", written("T-Riviera4.rar", test::storedRar4(handmadeRiviera()))},
      {"Rarfive", written("T-Riviera5.rar", test::storedRar5(handmadeRiviera()))}};
  for (const auto& [name, archive] : archives) {
    EXPECT_EQ(install(archive, {"--name", name}), 0) << name << ": " << cli.err();
    EXPECT_EQ(cli.out(), "T-" + name + "\n");
    EXPECT_EQ(test::snapshot(selector() / ("T-" + name)), kRivieraTree) << name;
  }
  ASSERT_EQ(cli.run({"list", "folders"}), 0);
  for (const auto& [name, archive] : archives) {
    EXPECT_NE(cli.out().find("-\tT\tT-" + name + "\n"), std::string::npos) << cli.out();
  }
}

// A complete set puts each of its folders in place and says what it left out; a copy of
// KVO128 brings skins and autoscripts too; loose files need a category, a skin goes to the
// Skinfolder and autoscripts to the Autoscripts folder.
TEST_F(InstallTest, EachLayoutPutsItsFoldersWhereTheSelectorLooks) {
  const auto set = written("Malta Set.zip", ArchiveFormat::Zip,
                           {{"Malta/readme.txt", "read me"},
                            {"Malta/W-Malta 1942/eaw.tm", "w"},
                            {"Malta/F-Malta Spitfires/spit.flt", "f"},
                            {"Malta/Autoscripts/Malta.set", "W-Malta 1942\r\n"}});
  EXPECT_EQ(install(set), 0) << cli.err();
  EXPECT_EQ(cli.out(), "Autoscripts\\Malta.set\nF-Malta Spitfires\nW-Malta 1942\n");
  EXPECT_NE(cli.err().find("not installed: Malta\\readme.txt"), std::string::npos) << cli.err();
  EXPECT_EQ(test::readFile(selector() / "Autoscripts/Malta.set"), "W-Malta 1942\r\n");
  EXPECT_EQ(test::snapshot(selector() / "F-Malta Spitfires"), (test::Tree{{"spit.flt", "f"}}));

  const auto copy = written("My KVO128.tar.gz", ArchiveFormat::TarGz,
                            {{"KVO128/kvo.ini", "Mine: Q\r\n"},
                             {"KVO128/H-Dusk/sky.tpc", "h"},
                             {"KVO128/Skinfolder/Spit Desert/psp09.3dz", "p"}});
  EXPECT_EQ(install(copy), 0) << cli.err();
  EXPECT_EQ(cli.out(), "H-Dusk\nSkinfolder\\Spit Desert\n");
  EXPECT_NE(test::readFile(selector() / "kvo.ini"), "Mine: Q\r\n");

  const auto loose =
      written("Dusk Skies.7z", ArchiveFormat::SevenZip, {{"sky.tpc", "s"}, {"horizon.tpc", "h"}});
  EXPECT_EQ(install(loose), 2);
  EXPECT_NE(cli.err().find("H\tSky and Horizon Sets\n"), std::string::npos) << cli.err();
  EXPECT_EQ(install(loose, {"--category", "H"}), 0) << cli.err();
  EXPECT_EQ(cli.out(), "H-Dusk Skies\n");

  const auto skin = written("Spit Winter.zip", ArchiveFormat::Zip,
                            {{"psp09.3dz", "model"}, {"sp09.tpc", "paint"}});
  EXPECT_EQ(install(skin), 0) << cli.err();
  EXPECT_EQ(cli.out(), "Skinfolder\\Spit Winter\n");
  const auto scripts = written("Scripts.zip", ArchiveFormat::Zip,
                               {{"Dusk.set", "H-Dusk\r\n"}, {"Riviera.set", "T-Riviera\r\n"}});
  EXPECT_EQ(install(scripts), 0) << cli.err();
  EXPECT_EQ(cli.out(), "Autoscripts\\Dusk.set\nAutoscripts\\Riviera.set\n");

  ASSERT_EQ(cli.run({"list", "skins"}), 0);
  EXPECT_NE(cli.out().find("-\tSP09\tSpit Winter\n"), std::string::npos) << cli.out();
  ASSERT_EQ(cli.run({"list", "scripts"}), 0);
  EXPECT_NE(cli.out().find("Riviera.set"), std::string::npos) << cli.out();
}

// Zip names without the UTF-8 mark are code page 437, with it UTF-8; 7z names are UTF-16,
// rar 4 names either; a name the game's 8-bit names cannot hold is refused and named.
TEST_F(InstallTest, NamesComeAsWindowsReadsThemAndOneTheGameCannotSeeIsRefused) {
  const std::pair<fs::path, std::string> archives[] = {
      {written("a.zip", ArchiveFormat::Zip, {{"T-\xC3\x96l/\xC3\x84.dat", "x"}},
               {.zipCodePage437 = true}),
       "T-\xC3\x96l|\xC3\x84.dat"},  // Öl, Ä
      {written("b.zip", test::storedZip({file("T-\x99sterreich/\x8E.dat")})),
       "T-\xC3\x96sterreich|\xC3\x84.dat"},
      {written("c.zip", test::storedZip({unicode("T-\xC5\xA0ibenik/x")})),
       "T-\xC5\xA0ibenik|x"},  // Šibenik
      {written("d.7z", ArchiveFormat::SevenZip, {{"T-\xC3\x86r\xC3\xB8/\xC3\xB8", "x"}}),
       "T-\xC3\x86r\xC3\xB8|\xC3\xB8"},  // Ærø
      {written("e.rar", test::storedRar4({file("T-M\x81nchen/x")})), "T-M\xC3\xBCnchen|x"},
      {written("f.rar", test::storedRar4({unicode("T-Z\xC3\xBCrich/x")})), "T-Z\xC3\xBCrich|x"},
      {written("g.rar", test::storedRar5({file("T-K\xC3\xB6ln/x")})), "T-K\xC3\xB6ln|x"}};
  for (const auto& [archive, name] : archives) {
    const auto bar = name.find('|');
    const auto folder = name.substr(0, bar);
    EXPECT_EQ(install(archive), 0) << name << ": " << cli.err();
    EXPECT_EQ(cli.out(), shown(folder) + "\n");
    EXPECT_TRUE(fs::is_regular_file(selector() / utf8Path(folder) / utf8Path(name.substr(bar + 1))))
        << name;
  }
  const auto before = test::exactTree(game());
  const auto tokyo =
      written("h.7z", ArchiveFormat::SevenZip, {{"T-\xE6\x9D\xB1\xE4\xBA\xAC/x", "x"}});  // 東京
  EXPECT_EQ(install(tokyo), 1);
  EXPECT_NE(cli.err().find("8-bit names"), std::string::npos) << cli.err();
  EXPECT_EQ(test::exactTree(game()), before);
}

std::string flippedLastDataByte(std::string zip, std::string_view data) {
  zip[zip.find(data) + data.size() - 1] ^= 0x01;
  return zip;
}

// Each refusal names what it refuses, exits with its code and leaves every file as it was,
// also when the refusal comes half way through the unpacking.
TEST_F(InstallTest, RefusalsNameTheEntryAndLeaveEveryFileAsItWas) {
  struct Case {
    std::function<fs::path()> archive;
    std::vector<std::string> options;
    int code;
    std::string words;
  };
  const std::string data(100, 'd');
  const Case cases[] = {
      {[&] { return written("up.zip", test::storedZip({file("T-A/../../up.txt")})); },
       {},
       1,
       "\"T-A/../../up.txt\" leads out"},
      {[&] {
         return written("abs.tar.gz", ArchiveFormat::TarGz, {{"/tmp/abs.txt", "x"}});
       },
       {},
       1,
       "leads out"},
      {[&] { return written("drive.zip", test::storedZip({file("C:\\autoexec.bat")})); },
       {},
       1,
       "leads out"},
      {[&] {
         return written("link.tar.xz", ArchiveFormat::TarXz,
                        {{"T-A/x", "x"}, {"T-A/passwd", "/etc/passwd", ItemKind::Symlink}});
       },
       {},
       1,
       "\"T-A/passwd\" is a link"},
      {[&] {
         return written("dev.tar.gz", ArchiveFormat::TarGz, {{"T-A/null", "", ItemKind::Device}});
       },
       {},
       1,
       "device"},
      {[&] {
         return written("case.zip", test::storedZip({file("T-A/x.txt"), file("T-A/X.TXT")}));
       },
       {},
       1,
       "\"T-A/x.txt\" and \"T-A/X.TXT\" differ only in letter case"},
      {[&] {
         return written("twice.zip", test::storedZip({file("T-A/x"), file("T-A/x")}));
       },
       {},
       1,
       "twice"},
      {[&] {
         return written("both.zip", test::storedZip({file("T-A/x"), file("T-A/x/y")}));
       },
       {},
       1,
       "both a file and a folder"},
      {[&] { return written("colon.zip", test::storedZip({file("T-A/a:b")})); },
       {},
       1,
       "does not allow"},
      {[&] {
         return written("locked.zip", ArchiveFormat::Zip, {{"T-A/x", "x"}}, {.zipPassword = "pw"});
       },
       {},
       1,
       "\"T-A/x\" is protected by a password"},
      {[&] { return written("text.zip", "just some text, not an archive"); },
       {},
       1,
       "not a zip, 7z, rar or tar archive"},
      {[&] { return downloads() / "missing.zip"; }, {}, 1, "missing.zip"},
      {[&] {
         return written("crc.zip",
                        flippedLastDataByte(test::storedZip({file("T-A/x", data)}), data));
       },
       {},
       1,
       "damaged"},
      {[&] {
         return written("claims.zip",
                        test::storedZip({{.name = "T-A/x", .bytes = data, .claimedSize = 10}}));
       },
       {},
       1,
       "\"T-A/x\" holds more bytes than the archive claims"},
      {[&] {
         return written("T-Normandy.zip", ArchiveFormat::Zip, {{"T-Normandy/x", "x"}});
       },
       {},
       1,
       "KVO128 holds a folder named \"T-Normandy\" already"},
      {[&] {
         return written("loose.zip", ArchiveFormat::Zip, {{"x", "x"}});
       },
       {},
       2,
       "category cannot be told"},
      {[&] {
         return written("loose.zip", ArchiveFormat::Zip, {{"x", "x"}});
       },
       {"--category", "P"},
       2,
       "\"P\" is not a category code"},
      {[&] {
         return written("set.zip", ArchiveFormat::Zip, {{"T-A/x", "x"}, {"F-B/y", "y"}});
       },
       {"--name", "Mine"},
       1,
       "complete set"},
      {[&] {
         return written("loose.zip", ArchiveFormat::Zip, {{"x", "x"}});
       },
       {"--category", "T", "--name", "a|b"},
       1,
       "the name \"T-a|b\""},
      {[&] {
         return written("loose.zip", ArchiveFormat::Zip, {{"x", "x"}});
       },
       {"--force"},
       2,
       "unknown option \"--force\""},
  };
  const auto before = test::exactTree(game());
  for (const auto& c : cases) {
    const auto archive = c.archive();
    EXPECT_EQ(install(archive, c.options), c.code) << c.words << ": " << cli.err();
    EXPECT_EQ(cli.out(), "") << c.words;
    EXPECT_NE(cli.err().find(c.words), std::string::npos) << c.words << " in: " << cli.err();
    EXPECT_EQ(test::exactTree(game()), before) << c.words;
  }
}

// --replace swaps the old folder for the new one in one change, but never a loaded one.
TEST_F(InstallTest, ReplaceSwapsAFolderWholeButNotALoadedOne) {
  const auto archive = written("Normandy v2.zip", ArchiveFormat::Zip,
                               {{"T-Normandy/new.tm", "new"}, {"T-Normandy/maps/b.ter", "b"}});
  EXPECT_EQ(install(archive, {"--replace"}), 0) << cli.err();
  EXPECT_EQ(cli.out(), "T-Normandy\n");
  EXPECT_EQ(test::snapshot(selector() / "T-Normandy"),
            (test::Tree{{"new.tm", "new"}, {"maps/", ""}, {"maps/b.ter", "b"}}));
  ASSERT_EQ(cli.run({"click", "T-Normandy"}), 0) << cli.err();
  const auto loaded = test::exactTree(game());
  EXPECT_EQ(install(archive, {"--replace"}), 1);
  EXPECT_NE(cli.err().find("\"T-Normandy\" is loaded"), std::string::npos) << cli.err();
  EXPECT_EQ(test::exactTree(game()), loaded);
}

// A dry run prints one line per file the install writes (and, replacing, per file of the
// folder it takes away), unpacks nothing and changes nothing; the install then makes exactly
// that change, as its history entry says. A refused install says why in a dry run too.
TEST_F(InstallTest, ADryRunListsTheFilesTheInstallThenWritesAndChangesNothing) {
  const auto lastHistoryLines = [&] {
    const auto entries = lastHistoryEntries(test::readFile(selector() / "History.txt"), 1);
    std::vector<std::string> lines;
    if (entries.empty()) return lines;
    for (std::size_t i = 1; i < entries[0].size(); ++i) lines.push_back(entries[0][i].substr(1));
    return lines;
  };
  const auto dryRun = [&](const fs::path& archive, std::vector<std::string> options) {
    options.insert(options.begin(), {"--dry-run", "install", pathToText(archive)});
    return cli.run(options);
  };
  const auto riviera = written("T-Riviera.zip", ArchiveFormat::Zip, kRiviera);
  auto before = test::exactTree(game());
  ASSERT_EQ(dryRun(riviera, {}), 0) << cli.err();
  const std::string planned = cli.out();
  EXPECT_EQ(planned, "write\tKVO128\\T-Riviera\\eaw.tm\nwrite\tKVO128\\T-Riviera\\maps\\a.ter\n");
  EXPECT_EQ(test::exactTree(game()), before);
  ASSERT_EQ(install(riviera), 0) << cli.err();
  EXPECT_EQ(lastHistoryLines(), splitLines(planned));
  ASSERT_EQ(cli.run({"history", "1"}), 0);
  EXPECT_NE(cli.out().find("\tinstall T-Riviera.zip\t2 written, 3 folder(s) made\n"),
            std::string::npos)
      << cli.out();

  const auto normandy = written("Normandy v2.zip", ArchiveFormat::Zip,
                                {{"T-Normandy/new.tm", "new"}, {"T-Normandy/maps/b.ter", "b"}});
  std::vector<std::string> expected;
  for (const auto& name : listFiles(selector() / "T-Normandy", "*.*")) {
    expected.push_back("delete\tKVO128\\T-Normandy\\" + name);
  }
  std::sort(expected.begin(), expected.end());
  ASSERT_GT(expected.size(), 2u);
  expected.push_back("write\tKVO128\\T-Normandy\\new.tm");
  expected.push_back("write\tKVO128\\T-Normandy\\maps\\b.ter");
  before = test::exactTree(game());
  ASSERT_EQ(dryRun(normandy, {"--replace"}), 0) << cli.err();
  EXPECT_EQ(splitLines(cli.out()), expected);
  EXPECT_EQ(test::exactTree(game()), before);
  ASSERT_EQ(install(normandy, {"--replace"}), 0) << cli.err();
  EXPECT_EQ(lastHistoryLines(), expected);

  ASSERT_EQ(cli.run({"click", "T-Normandy"}), 0) << cli.err();
  before = test::exactTree(game());
  EXPECT_EQ(dryRun(normandy, {"--replace"}), 1);
  EXPECT_NE(cli.err().find("\"T-Normandy\" is loaded"), std::string::npos) << cli.err();
  EXPECT_EQ(dryRun(written("loose.zip", ArchiveFormat::Zip, {{"x", "x"}}), {}), 2);
  EXPECT_EQ(test::exactTree(game()), before);
}

// A start removes the staging folder an install that was killed left, and nothing else;
// not while the record of an unfinished change it cannot make out is kept, since what that
// change moved aside may lie there.
TEST_F(InstallTest, AStartRemovesWhatAKilledInstallLeftAndNothingElse) {
  const auto staging = selector() / "~kvo-unpacking-0123456789abcdef";
  test::writeFile(staging / "replaced 0/eaw.tm", "the old folder");
  test::writeFile(selector() / "~kvo-unpacking-mine/keep.txt", "the player's");
  test::writeFile(selector() / "Unfinished change.kvo", "no journal at all");
  EXPECT_EQ(cli.run({"status"}), 0) << cli.err();
  EXPECT_NE(cli.err().find("cannot be made out"), std::string::npos) << cli.err();
  EXPECT_TRUE(fs::exists(staging / "replaced 0/eaw.tm"));
  const auto kept = listFiles(selector(), "Unfinished change *.kvo");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(cli.run({"status"}), 0) << cli.err();
  EXPECT_TRUE(fs::exists(staging / "replaced 0/eaw.tm"));
  fs::remove(selector() / kept.front());
  ASSERT_EQ(cli.run({"status"}), 0) << cli.err();
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_TRUE(fs::exists(selector() / "~kvo-unpacking-mine/keep.txt"));
}

// The limits hold both for what the archive claims and for what its entries really give.
TEST(InstallLimitsTest, ClaimsAndBytesBeyondTheLimitsAreRefused) {
  test::TempDir temp;
  ASSERT_FALSE(demo::writeDemoGameFolder(temp / "EAW"));
  test::RecordingShell shell;
  Selector selector(shell);
  ASSERT_EQ(selector.startUp(temp / "EAW"), StartupOutcome::Ready);
  const auto zeros = temp / "Zeros.zip";
  ASSERT_FALSE(demo::writeArchive(zeros, ArchiveFormat::Zip,
                                  {{"T-Zeros/a", std::string(300'000, '\0')}, {"T-Zeros/b", "b"}}));
  const auto before = test::exactTree(temp / "EAW");
  const std::pair<ArchiveLimits, const char*> refused[] = {
      {{.maxTotalBytes = 1000}, "more than 1000 bytes"},
      {{.ratioFreeBytes = 0}, "more than 200 times its own size"},
      {{.maxEntries = 1}, "more than 1 entries"}};
  for (const auto& [limits, words] : refused) {
    const auto planning = planInstall(selector.state, selector.record, {.archive = zeros}, limits);
    EXPECT_NE(planning.refusal.find(words), std::string::npos) << planning.refusal;
  }
  const auto planning = planInstall(selector.state, selector.record, {.archive = zeros});
  ASSERT_TRUE(planning.ok()) << planning.refusal;
  const auto failed = commitInstall(selector.state, selector.game, selector.record, shell,
                                    planning.plan, {.maxTotalBytes = 1000})
                          .outcome;
  EXPECT_NE(failed.failure.find("more than 1000 bytes"), std::string::npos) << failed.failure;
  EXPECT_EQ(test::exactTree(temp / "EAW"), before);
  EXPECT_TRUE(
      commitInstall(selector.state, selector.game, selector.record, shell, planning.plan).ok());
  EXPECT_EQ(fs::file_size(temp / "EAW/KVO128/T-Zeros/a"), 300'000u);
}

}  // namespace
}  // namespace kvo
