#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripts/script_files.h"
#include "scripts/set_entries.h"

namespace kvo {
namespace {

using Entries = std::vector<std::string>;

// Line ends and commas separate, empty entries stay, quotes hold commas up to their line's
// end, and blanks before an entry are skipped.
TEST(SetEntriesTest, EntriesAreSplitAsTheScriptsWereWritten) {
  const std::pair<const char*, Entries> cases[] = {
      {"T-Normandy\r\nG-Water\r\n\r\n", {"T-Normandy", "G-Water", ""}},
      {"T-Normandy,G-Water\nS-Desert", {"T-Normandy", "G-Water", "S-Desert"}},
      {"a,\rb,,c", {"a", "", "b", "", "c"}},
      {"", {}},
      {"  \"Speedy, the set\" , T Desert\r\n\t  G-Water  \r\n",
       {"Speedy, the set", "T Desert", "G-Water  "}},
      {"\"open, still\nnext", {"open, still", "next"}},
      {"\"\",x", {"", "x"}},
  };
  for (const auto& [text, entries] : cases) EXPECT_EQ(readSetEntries(text), entries) << text;
}

TEST(SetEntriesTest, NamesFollowTheLastSeparatorAndKeysKeepTheCategoryLetter) {
  EXPECT_EQ(entryName("C:\\Games\\EAW\\KVO128\\T-Normandy"), "T-Normandy");
  EXPECT_EQ(entryName("D:\\mods/mixed\\G-Water"), "G-Water");
  EXPECT_EQ(entryName("ends in\\"), "");
  EXPECT_EQ(entryKey("T-normandy"), entryKey("T-NORMANDY"));
  EXPECT_NE(entryKey("t-Normandy"), entryKey("T-Normandy"));
  EXPECT_EQ(entryKey(""), "");
}

TEST(ScriptNameTest, NamesThatWouldLeaveTheFolderOrTripWindowsAreRefused) {
  for (const char* name : {"Normandy.set", ".set", "Normandy.set.set", "with space.set",
                           "con-test.set", "COM10.set", "Nul2.set"}) {
    EXPECT_EQ(scriptNameProblem(name), "") << name;
  }
  for (const char* name :
       {"../escape.set", "sub/dir.set", "back\\slash.set", "dots..set", "what?.set", "a:b.set",
        "pipe|.set", "star*.set", "<x>.set", "quote\".set", "tab\t.set", "CON.set", "con.set",
        "Prn.txt.set", "aux .set", "NUL.set", "com1.set", "LPT9.set", "CONOUT$.set"}) {
    EXPECT_NE(scriptNameProblem(name), "") << name;
  }
}

}  // namespace
}  // namespace kvo
