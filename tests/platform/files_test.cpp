// The game folder's files as the selector reads them: names, lines and bytes.
#include <gtest/gtest.h>
#include <algorithm>

#include <cmath>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "app/selector.h"
#include "platform/binary_io.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/path_guard.h"
#include "platform/text_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"
#include "transaction/transaction_fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace kvo {
namespace {
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Names = std::vector<std::string>;
using test::readFile;
using test::TempDir;
using test::writeFile;
// "*.*" also takes a name without a dot, as on Windows. Lists split on ";", and blanks after a
// ";" are no part of the next pattern.
TEST(Patterns, MatchAsWindowsDoesIgnoringCaseAndNamesSortSo) {
  using Case = std::pair<const char*, const char*>;
  const Case matching[] = {{"*.jpg", "SKY.JPG"},
                           {"*.JPG", "sky.jpg"},
                           {"p?51*.3dz", "P-51D.3DZ"},
                           {"*", ""},
                           {"a*b*c", "aXXbYYbZZc"},
                           {"mypic", "MYPIC"},
                           {"*.*", "README"},
                           {"*.*", ".hidden"},
                           {"readme.*", "README"},
                           {"mypic;skinpic;*.jpg", "SkinPic"},
                           {"mypic;skinpic;*.jpg", "a.JPG"},
                           {"*.bmp; *.gif", "x.gif"},
                           {"*.e?E", "GAME.EXE"},
                           {"ab*b", "abb"}};
  const Case failing[] = {{"p?51*.3dz", "P--51D.3DZ"},
                          {"?", ""},
                          {"a*b*c", "aXXbYYbZZ"},
                          {"mypic", "mypic.jpg"},
                          {"*.jpg", "sky.jpeg"},
                          {"*.ini", "README"},
                          {"mypic;skinpic;*.jpg", "a.bmp"},
                          {"", "x"},
                          {";;", "x"},
                          {"*.exe", "exe"},
                          {"*?.exe", ".exe"},
                          {"ab*b", "ab"},
                          {"*.exe", "game.exe.bak"}};
  for (const auto& [patterns, name] : matching)
    EXPECT_TRUE(matchesAnyPattern(patterns, name)) << patterns << " ~ " << name;
  for (const auto& [patterns, name] : failing)
    EXPECT_FALSE(matchesAnyPattern(patterns, name)) << patterns << " ~ " << name;
  // Names equal but for case still get a fixed order: upper case first, as in byte order.
  const Case less[] = {{"apple", "Banana"}, {"B", "c"}, {"ab", "ABC"}, {"ABC", "abc"}};
  for (const auto& [a, b] : less) {
    EXPECT_TRUE(lessNoCase(a, b)) << a << " < " << b;
    EXPECT_FALSE(lessNoCase(b, a)) << b << " < " << a;
  }
  EXPECT_FALSE(lessNoCase("abc", "abc"));
}

TEST(Listing, FilesAndFoldersApartSortedWithoutRegardToCase) {
  TempDir dir;
  for (auto name : {"b.txt", "A.TXT", "c.Txt", "d.ini", "noext", "_under.txt"})
    writeFile(dir / name, "x");
  for (auto name : {"T-Normandy", "f-Stock", "folder.txt", "t-burma"})
    fs::create_directory(dir / name);
  // '_' sorts after the letters once they are folded to upper case; the folder folder.txt is
  // no file.
  EXPECT_EQ(listFiles(dir.path(), "*.txt"), (Names{"A.TXT", "b.txt", "c.Txt", "_under.txt"}));
  EXPECT_EQ(listFolders(dir.path()), (Names{"f-Stock", "folder.txt", "t-burma", "T-Normandy"}));
  // A folder that is missing, or a file, lists as nothing and says so.
  for (const auto& notAFolder : {dir / "missing", dir / "noext"}) {
    std::error_code filesEc, foldersEc;
    EXPECT_TRUE(listFiles(notAFolder, "*", filesEc).empty() && filesEc) << notAFolder;
    EXPECT_TRUE(listFolders(notAFolder, foldersEc).empty() && foldersEc) << notAFolder;
  }
#ifndef _WIN32
  // Links count as what they name; a broken one is no file.
  fs::create_directory(dir / "list");
  fs::create_symlink(dir / "A.TXT", dir / "list" / "linked.txt");
  fs::create_directory_symlink(dir / "f-Stock", dir / "list" / "linkedfolder");
  fs::create_symlink(dir / "nowhere", dir / "list" / "broken.txt");
  EXPECT_EQ(listFiles(dir / "list", "*.*"), Names{"linked.txt"});
  EXPECT_EQ(listFolders(dir / "list"), Names{"linkedfolder"});
#endif
}

#ifndef _WIN32
// A game folder of thousands of entries is read in many blocks, partly ahead on a helper: each
// entry comes once, of its own kind, links taken for what they name wherever they fall.
TEST(Listing, AFolderOfThousandsListsEveryEntryOnceAsWhatItIs) {
  TempDir dir;
  constexpr int kFiles = 5000;
  constexpr int kEach = 40;
  Names files;
  Names folders;
  for (int n = 0; n < kFiles; ++n) {
    files.push_back("file" + std::to_string(n) + ".dat");
    writeFile(dir / files.back(), "");
  }
  for (int n = 0; n < kEach; ++n) {
    const auto tag = std::to_string(n);
    folders.push_back("folder" + tag);
    fs::create_directory(dir / folders.back());
    files.push_back("linkedfile" + tag);
    fs::create_symlink(dir / "file0.dat", dir / files.back());
    folders.push_back("linkedfolder" + tag);
    fs::create_directory_symlink(dir / "folder0", dir / folders.back());
    fs::create_symlink(dir / "nowhere", dir / ("broken" + tag));
  }
  std::sort(files.begin(), files.end(), lessNoCase);
  std::sort(folders.begin(), folders.end(), lessNoCase);
  EXPECT_EQ(listFiles(dir.path(), "*"), files);
  EXPECT_EQ(listFolders(dir.path()), folders);
}
#endif

TEST(FindNoCase, FindsAnyCaseInOneListingAndNamesNewFilesAsAsked) {
  TempDir dir;
  constexpr int kFiles = 3000;
  for (int n = 0; n < kFiles; ++n) writeFile(dir / ("Tex" + std::to_string(n) + ".bmp"), "");
  writeFile(dir / "EAW.INI", "upper");
  fs::create_directory(dir / "SaveData");
  EXPECT_EQ(findNoCase(dir.path(), "eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(findNoCase(dir.path(), "savedata"), dir / "SaveData");
  EXPECT_EQ(findNoCase(dir.path(), "planes.dat"), std::nullopt);
  EXPECT_EQ(findNoCase(dir / "missing", "eaw.ini"), std::nullopt);
  EXPECT_EQ(resolveNoCase(dir.path(), "Eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(resolveNoCase(dir.path(), "New.txt"), dir / "New.txt");
  const FolderIndex index(dir.path());
  // Entries made after the index was built are not seen: it lists only once.
  writeFile(dir / "later.txt", "x");
  for (int n = 0; n < kFiles; ++n) {
    const std::string name = "Tex" + std::to_string(n) + ".bmp";
    ASSERT_EQ(index.find(toUpperAscii(name)), name);
    ASSERT_EQ(index.onlyFile("tex" + std::to_string(n) + ".BMP"), name);
  }
  EXPECT_EQ(index.find("savedata"), "SaveData");
  EXPECT_EQ(index.onlyFile("savedata"), std::nullopt);
  for (auto absent : {"later.txt", "Tex3000.bmp", "Tex1.bm", ""})
    EXPECT_EQ(index.find(absent), std::nullopt) << absent;
  EXPECT_EQ(index.files("*.bmp").size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(index.folders(), std::vector<std::string>{"SaveData"});
  EXPECT_EQ(FolderIndex(dir / "missing").find("x"), std::nullopt);
#ifndef _WIN32
  // The exact spelling wins over other cases; without one, the first in listing order.
  for (const char* name : {"eaw.ini", "Eaw.Ini"}) writeFile(dir / name, name);
  const FolderIndex cased(dir.path());
  for (const char* name : {"eaw.ini", "Eaw.Ini", "EAW.INI"}) {
    EXPECT_EQ(findNoCase(dir.path(), name), dir / name);
    EXPECT_EQ(cased.find(name), name);
  }
  EXPECT_EQ(findNoCase(dir.path(), "EAW.ini"), dir / "EAW.INI");
  EXPECT_EQ(cased.find("eaw.INI"), "EAW.INI");
#endif
}

// Paths joined as text must be the very paths the path arithmetic gives, or a lookup by text
// misses the file: in a folder, at a root, behind a trailing separator, and with an 8-bit name.
TEST(JoinedText, AgreesWithThePathArithmetic) {
  const fs::path root = fs::current_path().root_path();
  std::vector<fs::path> dirs = {root / "EAW" / "KVO128", root, root / "EAW" / ""};
  for (const auto& dir : dirs) {
    for (const std::string name : {"tex0001.bmp", "caf\xe9.tga", "EAW.INI"}) {
      EXPECT_EQ(fs::path(joinedText(dir, name)), dir / nameToPath(name)) << dir << " " << name;
      EXPECT_EQ(joinedText(dir, name), (dir / nameToPath(name)).native()) << dir << " " << name;
    }
  }
}

// A copy into a free name shows up with the source's bytes and permissions or not at all, and
// never takes a name that something holds.
TEST(CopyIntoFreeName, AppearsWholeAndNeverOverWhatIsThere) {
  TempDir temp;
  const auto source = temp.path() / "mod.tpc";
  writeFile(source, std::string(100000, 'm'));
  const auto target = temp.path() / "game.tpc";
  auto ec = copyIntoFreeName(source, target);
  if (ec == std::errc::operation_not_supported) GTEST_SKIP() << "no nameless files here";
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_EQ(readFile(target), std::string(100000, 'm'));
  EXPECT_EQ(fs::status(target).permissions(), fs::status(source).permissions());

  writeFile(target, "the player's");
  EXPECT_EQ(copyIntoFreeName(source, target), std::errc::file_exists);
  EXPECT_EQ(readFile(target), "the player's");
  fs::remove(target);
  fs::create_symlink(source, temp.path() / "link.tpc");
  EXPECT_TRUE(copyIntoFreeName(temp.path() / "link.tpc", target));
  EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 2);
}

// Looking entries up from their folder answers as looking along the whole path does.
TEST(EntryProber, AnswersAsEachPathAlone) {
  TempDir temp;
  const auto root = temp.path();
  fs::create_directories(root / "a" / "sub");
  writeFile(root / "a" / "file.dat", "x");
  writeFile(root / "b.dat", "y");
  std::vector<fs::path> paths{root / "a" / "file.dat",    root / "a" / "sub",
                              root / "a" / "missing.dat", root / "b.dat",
                              root / "a" / "file.dat",    root / "gone" / "x.dat",
                              root / "b.dat" / "x.dat",   root.root_path()};
#ifndef _WIN32
  fs::create_symlink(root / "b.dat", root / "a" / "link.dat");
  paths.insert(paths.begin() + 1, root / "a" / "link.dat");
#endif
  EntryProber prober;
  for (const auto& path : paths) {
    std::error_code alone;
    std::error_code probed;
    const auto expected = entryFacts(path.native(), alone);
    const auto got = prober.facts(path.native(), probed);
    EXPECT_EQ(got.kind, expected.kind) << path;
    EXPECT_EQ(got.surelyReadable, expected.surelyReadable) << path;
    EXPECT_EQ(got.nothingToClear, expected.nothingToClear) << path;
    EXPECT_EQ(probed, alone) << path;
  }
}

TEST(TextLines, SplitOnEveryEndingAndComeBackThroughCrLf) {
  struct Case {
    std::string bytes;
    Lines lines;
  };
  // LF CR is two endings, CR LF one; every other byte, a zero byte too, stays in its line.
  const Case cases[] = {
      {"", {}},
      {"a\r", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("\xE9t\xE9\t \0z\r\n", 9), {std::string("\xE9t\xE9\t \0z", 7)}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(splitLines(c.bytes), c.lines);
    EXPECT_EQ(splitLines(joinLinesCrLf(c.lines)), c.lines);
  }
  EXPECT_EQ(joinLinesCrLf(Lines{"[Settings]", "", "  spaced  "}),
            "[Settings]\r\n\r\n  spaced  \r\n");
}

// A missing file or a folder is no file to read, and says why.
TEST(TextFile, ReadingWhatIsNoFileSaysWhy) {
  test::TempDir dir;
  std::error_code ec;
  EXPECT_EQ(readTextLines(dir / "missing.txt", ec, 100), std::nullopt);
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  EXPECT_EQ(readFileBytes(dir.path(), ec, 100), std::nullopt);
  EXPECT_TRUE(ec);
}

// The byte order is the game readers' and writers' to show; here only the bounds.
// Only a regular file within its kind's limit is read: a FIFO (which would hang the open), a
// link to a device and a file over the limit are refused at once, by name of the reason.
TEST(ReadFileBytes, ReadsRegularFilesUpToTheLimitAndRefusesTheRest) {
  test::TempDir dir;
  std::error_code ec;
  test::writeFile(dir / "ten", "0123456789");
  EXPECT_EQ(readFileBytes(dir / "ten", ec, 10), "0123456789");
  EXPECT_EQ(readFileBytes(dir / "ten", ec, 9), std::nullopt);
  EXPECT_EQ(ec, Refusal::TooLarge);
  EXPECT_EQ(describeFailure("read", dir / "ten", ec),
            "Could not read " + displayPath(dir / "ten") +
                ": it is larger than a file of its kind can be.");
  test::writeFile(dir / "other", "0123456789");
  EXPECT_TRUE(sameFileBytes(dir / "ten", dir / "other"));
  test::writeFile(dir / "other", "0123456780");
  EXPECT_FALSE(sameFileBytes(dir / "ten", dir / "other"));
  test::writeFile(dir / "other", std::string(200000, 'x'));
  test::writeFile(dir / "ten", std::string(199999, 'x') + "y");
  EXPECT_FALSE(sameFileBytes(dir / "ten", dir / "other"));
#ifndef _WIN32
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir / "zero");
  for (const auto* name : {"fifo", "zero"}) {
    EXPECT_EQ(readFileBytes(dir / name, ec, 1 << 20), std::nullopt) << name;
    EXPECT_EQ(ec, Refusal::NotRegularFile) << name;
  }
  EXPECT_FALSE(sameFileBytes(dir / "zero", dir / "zero"));
#endif
}

TEST(BinaryIo, ReadsOnlyWithinTheBytes) {
  const std::string bytes("\x01\x02\x03\x04\xFF", 5);
  std::uint8_t u8 = 0;
  std::uint16_t u16 = 0;
  std::uint32_t u32 = 0;
  EXPECT_TRUE(readU8(bytes, 4, u8) && readU16LE(bytes, 3, u16) && readU32LE(bytes, 1, u32));
  // A refused read leaves the value alone; an offset near SIZE_MAX must not wrap around.
  const std::size_t huge = static_cast<std::size_t>(-1);
  EXPECT_FALSE(readU8(bytes, 5, u8) || readU16LE(bytes, 4, u16) || readU32LE(bytes, 2, u32));
  EXPECT_FALSE(readU16LE(bytes, huge, u16) || readU32LE(bytes, huge, u32) || readU8("", 0, u8));
  EXPECT_EQ(u8, 0xFF);
  EXPECT_EQ(u16, 0xFF04);
  EXPECT_EQ(u32, 0xFF040302u);
}

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
  ASSERT_TRUE(SetFileAttributesW((dir / "gunsight.bmp").c_str(), kStubborn));
  EXPECT_FALSE(makeNormal(dir / "gunsight.bmp"));
  EXPECT_EQ(attributesOf(dir / "gunsight.bmp") & kCleared, 0u);
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
  EXPECT_EQ(readTextLines(nameToPath(doubled + "kvo.ini"), ec, 1000),
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
