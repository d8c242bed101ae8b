#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/selector.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kvo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;
// "T-Österreich" and "T-Šibenik" in Windows-1252, as the game's 8-bit files spell them. The
// Š lies where Windows-1252 and Latin-1 differ, which a stray Latin-1 conversion gets wrong.
const std::string kAustria = "T-\xD6sterreich";
const std::string kSibenik = "T-\x8Aibenik";
// A game folder with one terrain besides the ones a test adds.
void writeGameFolder(const fs::path& game) {
  writeFile(game / "KVO128" / "kvo.ini", "Terrain Sets: T\r\n");
  writeFile(game / "KVO128" / "T-Burma" / "burma.ter", "b");
}

// Each command is a start of its own: the record written by one is read back by the next.
TEST(CodePageNames, NonAsciiModFolderIsListedRecordedAndFoundAgain) {
  for (const auto& name : {kAustria, kSibenik}) {
    if (pathToText(nameToPath(name)) != name) GTEST_SKIP() << "the system code page lacks Ö or Š";
  }
  TempDir temp;
  const fs::path game = temp / "EAW";
  const fs::path austria = game / "KVO128" / nameToPath(kAustria);
  writeGameFolder(game);
  writeFile(austria / "alps.ter", "alps");
  writeFile(game / "KVO128" / nameToPath(kSibenik) / "coast.ter", "coast");
#ifdef _WIN32
  if (GetACP() == 1252) {
    EXPECT_EQ(austria.filename().wstring(), L"T-\u00D6sterreich");
  }
#endif
  EXPECT_EQ(listFolders(game / "KVO128"),
            (std::vector<std::string>{"T-Burma", kSibenik, kAustria}));
  EXPECT_EQ(findNoCase(game / "KVO128", "t-\xD6STERREICH"), austria);
  test::CliRunner kvo(game);
  EXPECT_EQ(kvo.run({"click", kAustria}), 0);
  EXPECT_EQ(kvo.err(), "");
  EXPECT_EQ(readFile(game / "alps.ter"), "alps");
  EXPECT_EQ(readFile(game / "KVO128" / "FoldersLoaded.txt"), kAustria + "\r\n\r\n")
      << "the record holds the 8-bit name";
  EXPECT_EQ(kvo.run({"click", kSibenik}), 0);
  EXPECT_FALSE(fs::exists(game / "alps.ter")) << "the next start can unload it again";
  EXPECT_EQ(readFile(game / "coast.ter"), "coast");
  EXPECT_EQ(readFile(game / "KVO128" / "FoldersLoaded.txt"), kSibenik + "\r\n\r\n");
}

#ifdef _WIN32
DWORD attributesOf(const fs::path& path) {
  return GetFileAttributesW(path.c_str());
}

constexpr DWORD kStubborn = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
bool runningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Wine reports every file as ready for archiving whatever was set, so only Windows can show
// that flag cleared.
const DWORD kCleared = runningUnderWine() ? kStubborn & ~DWORD{FILE_ATTRIBUTE_ARCHIVE} : kStubborn;

TEST(WindowsFiles, EveryFlagIsGotPastAndHiddenOrForeignNamesAreNotListed) {
  TempDir dir;
  writeFile(dir / "gunsight.bmp", "old");
  writeFile(dir / "source.bmp", "new");
  ASSERT_TRUE(SetFileAttributesW((dir / "gunsight.bmp").c_str(), kStubborn));
  ASSERT_TRUE(SetFileAttributesW((dir / "source.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(copyFileOver(dir / "source.bmp", dir / "gunsight.bmp"));
  EXPECT_EQ(readFile(dir / "gunsight.bmp"), "new");
  EXPECT_EQ(attributesOf(dir / "gunsight.bmp") & kCleared, 0u) << "the copy is left normal";
  ASSERT_TRUE(SetFileAttributesW((dir / "gunsight.bmp").c_str(), kStubborn));
  EXPECT_FALSE(makeNormal(dir / "gunsight.bmp"));
  EXPECT_EQ(attributesOf(dir / "gunsight.bmp") & kCleared, 0u);
  ASSERT_TRUE(SetFileAttributesW((dir / "gunsight.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(deleteFile(dir / "gunsight.bmp"));
  EXPECT_FALSE(fs::exists(dir / "gunsight.bmp"));
  EXPECT_FALSE(deleteFile(dir / "gunsight.bmp")) << "a file already gone is no failure";
  // Hidden, system and names outside the code page stay out of listings; doubled separators
  // still reach a file.
  for (const char* name : {"shown.ter", "hidden.ter", "system.ter"}) writeFile(dir / name, "x");
  ASSERT_TRUE(SetFileAttributesW((dir / "hidden.ter").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW((dir / "system.ter").c_str(), FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(listFiles(dir.path(), "*.ter"), std::vector<std::string>{"shown.ter"});
  EXPECT_EQ(findNoCase(dir.path(), "HIDDEN.TER"), dir / "hidden.ter") << "lookups still see it";
  fs::create_directory(dir.path() / L"T-日本");  // no 8-bit file could name it
  writeFile(dir / "KVO128" / "kvo.ini", "Terrain Sets: T\r\n");
  EXPECT_EQ(listFolders(dir.path()), std::vector<std::string>{"KVO128"});
  const std::string doubled = pathToText(dir.path()) + "\\\\KVO128\\\\";
  EXPECT_TRUE(folderExists(nameToPath(doubled)));
  EXPECT_TRUE(fileExists(nameToPath(doubled + "kvo.ini")));
  EXPECT_EQ(listFiles(nameToPath(doubled), "*.ini"), std::vector<std::string>{"kvo.ini"});
  std::error_code ec;
  EXPECT_EQ(readTextLines(nameToPath(doubled + "kvo.ini"), ec),
            std::vector<std::string>{"Terrain Sets: T"});
}

// The drive root comes from the test script (Wine maps drive letters through its prefix).
TEST(WindowsPaths, GameFolderOnADriveRootLoadsAndRecords) {
  const wchar_t* given = _wgetenv(L"KVO_TEST_DRIVE_ROOT");
  if (given == nullptr) GTEST_SKIP() << "no drive root was given in KVO_TEST_DRIVE_ROOT";
  const fs::path root = given;
  struct Emptied {
    fs::path root;
    ~Emptied() {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(root, ec)) fs::remove_all(entry.path(), ec);
    }
  } emptied{root};
  ASSERT_EQ(root.native().size(), 3u) << "a root such as X:\\";
  writeGameFolder(root);
  {
    test::RecordingShell shell;
    Selector selector(shell);
    ASSERT_EQ(selector.startUp(root), StartupOutcome::Ready);
    EXPECT_EQ(selector.state.Label1, pathToText(root)) << "the root keeps its one \\";
  }
  test::CliRunner kvo(root);
  EXPECT_EQ(kvo.run({"click", "T-Burma"}), 0);
  EXPECT_EQ(kvo.err(), "");
  EXPECT_EQ(readFile(root / "burma.ter"), "b");
  EXPECT_EQ(readFile(root / "KVO128" / "FoldersLoaded.txt"), "T-Burma\r\n\r\n");
}
#endif
}  // namespace
}  // namespace kvo
