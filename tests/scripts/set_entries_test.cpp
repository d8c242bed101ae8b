#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripts/script_files.h"
#include "scripts/set_entries.h"

namespace kvo {
namespace {

using Entries = std::vector<std::string>;

TEST(SetEntriesTest, LineEndsAndCommasSeparateAndEmptyEntriesStay) {
  // An unedited script: its lines, then the empty line that saving adds.
  EXPECT_EQ(readSetEntries("T-Normandy\r\nG-Water\r\n\r\n"),
            (Entries{"T-Normandy", "G-Water", ""}));
  EXPECT_EQ(readSetEntries("T-Normandy,G-Water\nS-Desert"),
            (Entries{"T-Normandy", "G-Water", "S-Desert"}));
  EXPECT_EQ(readSetEntries("a,\rb,,c"), (Entries{"a", "", "b", "", "c"}));
  EXPECT_EQ(readSetEntries(""), Entries{});
}

TEST(SetEntriesTest, QuotesHoldCommasAndBlanksBeforeAnEntryAreSkipped) {
  EXPECT_EQ(readSetEntries("  \"Speedy, the set\" , T Desert\r\n\t  G-Water  \r\n"),
            (Entries{"Speedy, the set", "T Desert", "G-Water  "}));
  // A quote left open runs to the end of its line, not into the next one.
  EXPECT_EQ(readSetEntries("\"open, still\nnext"), (Entries{"open, still", "next"}));
  EXPECT_EQ(readSetEntries("\"\",x"), (Entries{"", "x"}));
}

TEST(SetEntriesTest, EntriesAreCutAfterTheLastSeparatorOfEitherSystem) {
  EXPECT_EQ(entryName("C:\\Games\\EAW\\KVO128\\T-Normandy"), "T-Normandy");
  EXPECT_EQ(entryName("/home/ren/eaw/KVO128/T-Normandy"), "T-Normandy");
  EXPECT_EQ(entryName("D:\\mods/mixed\\G-Water"), "G-Water");
  EXPECT_EQ(entryName("T Desert"), "T Desert");
  EXPECT_EQ(entryName("ends in\\"), "");
}

TEST(SetEntriesTest, KeysKeepTheCategoryLetterAndFoldTheRest) {
  EXPECT_EQ(entryKey("T-normandy"), entryKey("T-NORMANDY"));
  EXPECT_NE(entryKey("t-Normandy"), entryKey("T-Normandy"));
  EXPECT_NE(entryKey("s-Scenario1"), entryKey("S-Scenario1"));
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
