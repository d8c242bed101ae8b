#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "archive/entry_names.h"
#include "archive/selector_text.h"

namespace kvo {
namespace {

std::string joined(const EntryPath& path) {
  std::string text;
  for (const auto& part : path.parts) text += (text.empty() ? "" : "|") + part;
  return text;
}

// Both slashes separate names as on Windows; what would leave the new folder, or what
// Windows would store under another name or not at all, is refused with its reason.
TEST(ArchiveNamesTest, NamesSplitAsWindowsSplitsThemAndWhatItCannotStoreIsRefused) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"T-Normandy/maps/eaw.tm", "T-Normandy|maps|eaw.tm", ""},
      {"T-Normandy\\maps\\eaw.tm", "T-Normandy|maps|eaw.tm", ""},
      {"./a//b/", "a|b", ""},
      {"", "", ""},
      {"a/.hidden", "a|.hidden", ""},
      {"/etc/passwd", "", "leads out"},
      {"\\\\server\\share\\x", "", "leads out"},
      {"C:/Windows/win.ini", "", "leads out"},
      {"c:eaw.ini", "", "leads out"},
      {"a/../../b", "", "leads out"},
      {"a/b:stream", "a|b:stream", "does not allow"},
      {"a/what?.txt", "a|what?.txt", "does not allow"},
      {"a/tab\there", "a|tab\there", "does not allow"},
      {"a/end.", "a|end.", "full stop"},
      {"a/end /x", "a|end |x", "full stop"},
      {"a/con.txt", "a|con.txt", "device"},
      {"LPT1", "LPT1", "device"},
      {"COM\xC2\xB9.dat", "COM\xC2\xB9.dat", "device"},
      {"a/\xFF\xFE", "a|\xFF\xFE", "not UTF-8"},
      {"a/\xC0\xAF", "a|\xC0\xAF", "not UTF-8"},  // an overlong "/"
      {"a/console.txt", "a|console.txt", ""},
  };
  for (const auto& [name, parts, problem] : cases) {
    const auto path = mapEntryName(name);
    if (std::string(problem) != "leads out") {
      EXPECT_EQ(joined(path), parts) << name;
    }
    if (*problem == '\0') {
      EXPECT_EQ(path.problem, "") << name;
    } else {
      EXPECT_NE(path.problem.find(problem), std::string::npos) << name << ": " << path.problem;
    }
  }
}

// On Linux the name stays UTF-8, as long as Windows-1252 (what the game sees through Wine)
// holds it; where Windows-1252 differs from Latin-1 (Š, €) counts too.
TEST(ArchiveNamesTest, ANameTheGameCannotSeeIsNotTakenAndCaseFoldsAsWindowsFoldsIt) {
#ifndef _WIN32
  for (const char* held : {"T-\xC3\x96sterreich", "T-\xC5\xA0ibenik", "\xE2\x82\xAC", "plain"}) {
    EXPECT_EQ(selectorTextOf(held), std::optional<std::string>(held)) << held;
  }
  for (const char* lost : {"T-\xE6\x97\xA5\xE6\x9C\xAC", "\xC5\x82\xC3\xB3", "\xC2\x81", "\xFF"}) {
    EXPECT_EQ(selectorTextOf(lost), std::nullopt) << lost;
  }
#endif
  const std::pair<const char*, const char*> same[] = {
      {"\xC3\x84pfel.TXT", "\xC3\xA4PFEL.txt"},  // Äpfel
      {"\xC5\xA0ibenik", "\xC5\xA1IBENIK"},      // Šibenik
      {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
       "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90"},      // Москва
      {"\xC5\x81\xC3\xB3\xC5\xBA", "\xC5\x82\xC3\x93\xC5\xB9"},  // Łóź
      {"\xC3\xBF", "\xC5\xB8"},                                  // ÿ Ÿ
  };
  for (const auto& [a, b] : same) EXPECT_EQ(foldCase(a), foldCase(b)) << a << " " << b;
  EXPECT_NE(foldCase("\xC3\x97"), foldCase("\xC3\xB7"));  // × and ÷ are no letters
  EXPECT_NE(foldCase("a1"), foldCase("a2"));
  EXPECT_EQ(encodeUtf8(decodeUtf8("\xF0\x9F\x9B\xA9 \xC3\xA9").value()),
            "\xF0\x9F\x9B\xA9 \xC3\xA9");
}

}  // namespace
}  // namespace kvo
