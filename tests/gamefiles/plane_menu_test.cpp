#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_game.h"
#include "gamefiles/plane_menu.h"
#include "gamefiles/pmnuform.h"

namespace kvo {
namespace {

// The demo's menus are read and written back byte-exact by the plane install tests.
std::string demoMenu(demo::MenuSide side) {
  return demo::makeMenuFile(side, demo::defaultMenuNames(side));
}

// A menu whose header and tails are runs of distinct bytes, so that a misplaced one shows.
PlaneMenuFile patternedMenu(MenuSide side, const std::vector<std::string>& names) {
  PlaneMenuFile menu{side, {}, {}};
  for (std::size_t i = 0; i < kMenuHeaderSize; ++i) menu.header += static_cast<char>(200 + i);
  for (std::size_t k = 0; k < menuRecordCount(side); ++k) {
    std::string tail;
    for (std::size_t i = 0; i < menuTailSize(side, k); ++i) tail += static_cast<char>(10 * k + i);
    menu.records.push_back({k < names.size() ? names[k] : std::string(), tail});
  }
  return menu;
}

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// The game's layout: after the 35-byte header, per record a 4-byte length that counts the zero
// byte, the name, the zero byte and a 15-byte tail, 17 bytes for the last but one record.
TEST(PlaneMenu, WritesLengthNameZeroAndTailForEachRecord) {
  const auto menu = patternedMenu(MenuSide::G, {"Spitfire 9", "", "Typhoon"});
  std::string expected = menu.header + bytes({11, 0, 0, 0}) + std::string("Spitfire 9\0", 11);
  expected += menu.records[0].tail + bytes({1, 0, 0, 0, 0}) + menu.records[1].tail;
  expected += bytes({8, 0, 0, 0}) + std::string("Typhoon\0", 8) + menu.records[2].tail;
  for (std::size_t k = 3; k < 11; ++k) expected += bytes({1, 0, 0, 0, 0}) + menu.records[k].tail;
  EXPECT_EQ(WritePlaneMenu(menu).bytes, expected);
  EXPECT_EQ(expected.size(), 35U + 30 + 20 + 27 + 6 * 20 + 22 + 20);
  EXPECT_EQ(menu.records[9].tail.size(), 17U);
}

TEST(PlaneMenu, TheWindowShowsBytesAsTextAndWritesOnlyTheSideItLastRead) {
  const std::string g = WritePlaneMenu(patternedMenu(MenuSide::G, {})).bytes;
  Pmnuform form;
  EXPECT_NE(form.pmenwrite().error.find("picplnb.mnu has not been read"), std::string::npos);
  form.setCountryBut(2);
  ASSERT_EQ(form.Pmensee(g), "");
  EXPECT_EQ(form.hedlab().substr(0, 12), " 200 201 202");
  EXPECT_EQ(form.position(10), " 100 101 102 103 104 105 106 107 108 109 110 111 112 113 114");
  ASSERT_TRUE(form.setBmnutb(10, "Ju 88"));

  // A's nine records empty the two boxes only G has.
  form.setCountryBut(1);
  ASSERT_EQ(form.Pmensee(demoMenu(demo::MenuSide::A)), "");
  for (const int k : {9, 10}) {
    EXPECT_EQ(form.bmnutb(k), "");
    EXPECT_EQ(form.mlen(k), "1");
    EXPECT_EQ(form.position(k), "");
  }
  EXPECT_EQ(form.pmenwrite().bytes, demoMenu(demo::MenuSide::A));
  // Another side's button writes nothing, though the window still shows A's names.
  form.setCountryBut(2);
  EXPECT_NE(form.pmenwrite().error.find("picplng.mnu has not been read"), std::string::npos);
}

TEST(PlaneMenu, ANameEndsAtItsFirstZeroAndBytesAfterTheLastRecordAreNotKept) {
  std::string file = WritePlaneMenu(patternedMenu(MenuSide::A, {"Mosquito"})).bytes;
  file[35 + 4 + 3] = '\0';  // "Mos\0uito"
  const auto read = ReadPlaneMenu(MenuSide::A, file + "trailing");
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.menu.records[0].name, "Mos");
  EXPECT_EQ(read.menu.records[1].tail, patternedMenu(MenuSide::A, {}).records[1].tail);
  const std::string out = WritePlaneMenu(read.menu).bytes;
  EXPECT_EQ(out.size(), file.size() - 5);
  EXPECT_EQ(out.substr(35, 4), bytes({4, 0, 0, 0}));
}

TEST(PlaneMenu, RefusesShortFilesAndNamesTheirLengthByteCannotHold) {
  const std::string file = demoMenu(demo::MenuSide::B);
  Pmnuform form;
  ASSERT_EQ(form.Pmensee(file), "");
  ASSERT_TRUE(form.setBmnutb(2, std::string(254, 'x')));
  EXPECT_TRUE(form.pmenwrite().ok());
  ASSERT_TRUE(form.setBmnutb(2, std::string(255, 'x')));
  const auto tooLong = form.pmenwrite().error;
  EXPECT_NE(tooLong.find("255 characters; picplnb.mnu holds names of at most 254"),
            std::string::npos)
      << tooLong;
  // After a failed read the window holds nothing that could be written over the file.
  EXPECT_NE(form.Pmensee(file.substr(0, 20)).find("picplnb.mnu is damaged: it ends at offset 20"),
            std::string::npos);
  EXPECT_EQ(form.bmnutb(0), "");
  EXPECT_FALSE(form.pmenwrite().ok());
  std::string claims = file;
  claims[35] = static_cast<char>(255);  // record 0 claims a name running past the end
  const auto read = ReadPlaneMenu(MenuSide::B, claims, "D:\\Games\\EAW\\PICPLNB.MNU");
  EXPECT_NE(read.error.find("D:\\Games\\EAW\\PICPLNB.MNU is damaged: record"), std::string::npos)
      << read.error;
}

}  // namespace
}  // namespace kvo
