#include "platform/binary_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace kvo {
namespace {

TEST(BinaryRead, LittleEndianWithinBounds) {
  const std::string bytes("\x01\x02\x03\x04\xFF", 5);
  std::uint8_t u8 = 0;
  std::uint16_t u16 = 0;
  std::uint32_t u32 = 0;
  EXPECT_TRUE(readU8(bytes, 4, u8));
  EXPECT_EQ(u8, 0xFF);
  EXPECT_TRUE(readU16LE(bytes, 0, u16));
  EXPECT_EQ(u16, 0x0201);
  EXPECT_TRUE(readU16LE(bytes, 3, u16));
  EXPECT_EQ(u16, 0xFF04);
  EXPECT_TRUE(readU32LE(bytes, 1, u32));
  EXPECT_EQ(u32, 0xFF040302u);
}

TEST(BinaryRead, RefusesToReadPastTheEnd) {
  const std::string bytes("\x01\x02\x03", 3);
  std::uint8_t u8 = 7;
  std::uint16_t u16 = 7;
  std::uint32_t u32 = 7;
  EXPECT_FALSE(readU8(bytes, 3, u8));
  EXPECT_FALSE(readU16LE(bytes, 2, u16));
  EXPECT_FALSE(readU32LE(bytes, 0, u32));
  EXPECT_FALSE(readU32LE(bytes, static_cast<std::size_t>(-1), u32));
  EXPECT_FALSE(readU16LE(bytes, static_cast<std::size_t>(-1), u16));
  EXPECT_FALSE(readU8("", 0, u8));
  EXPECT_EQ(u8, 7);
  EXPECT_EQ(u16, 7);
  EXPECT_EQ(u32, 7u);
}

TEST(BinaryWrite, AppendsLittleEndian) {
  std::string bytes;
  appendU16LE(bytes, 0x1234);
  appendU32LE(bytes, 0xA1B2C3D4u);
  EXPECT_EQ(bytes, std::string("\x34\x12\xD4\xC3\xB2\xA1", 6));
  std::uint32_t back = 0;
  ASSERT_TRUE(readU32LE(bytes, 2, back));
  EXPECT_EQ(back, 0xA1B2C3D4u);
}

TEST(PatchFileBytes, WritesInPlace) {
  test::TempDir dir;
  test::writeFile(dir / "planes.dat", std::string(8, '\0'));
  const std::vector<BytePatch> patches{{0, 0x41}, {7, 0xFF}, {3, 0x10}, {3, 0x11}};
  EXPECT_FALSE(patchFileBytes(dir / "planes.dat", patches));
  EXPECT_EQ(test::readFile(dir / "planes.dat"), std::string("A\0\0\x11\0\0\0\xFF", 8));
  EXPECT_FALSE(patchFileBytes(dir / "planes.dat", std::vector<BytePatch>{}));
}

TEST(PatchFileBytes, OffsetPastTheEndLeavesShortFileUntouched) {
  test::TempDir dir;
  const std::string original("0123456789", 10);
  test::writeFile(dir / "loadout.dat", original);
  const std::vector<BytePatch> patches{{0, 'X'}, {5, 'Y'}, {10, 'Z'}};
  const auto ec = patchFileBytes(dir / "loadout.dat", patches);
  EXPECT_EQ(ec, std::errc::result_out_of_range);
  EXPECT_EQ(test::readFile(dir / "loadout.dat"), original);
}

TEST(PatchFileBytes, MissingFileFails) {
  test::TempDir dir;
  const std::vector<BytePatch> patches{{0, 1}};
  EXPECT_TRUE(patchFileBytes(dir / "missing.dat", patches));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.dat"));
}

}  // namespace
}  // namespace kvo
