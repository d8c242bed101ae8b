#include "platform/binary_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace kvo {
namespace {

TEST(BinaryIo, ReadsLittleEndianOnlyWithinTheBytes) {
  const std::string bytes("\x01\x02\x03\x04\xFF", 5);
  std::uint8_t u8 = 0;
  std::uint16_t u16 = 0;
  std::uint32_t u32 = 0;
  EXPECT_TRUE(readU8(bytes, 4, u8) && u8 == 0xFF);
  EXPECT_TRUE(readU16LE(bytes, 3, u16) && u16 == 0xFF04);
  EXPECT_TRUE(readU32LE(bytes, 1, u32) && u32 == 0xFF040302u);
  // A refused read leaves the value alone; an offset near SIZE_MAX must not wrap around.
  const std::size_t huge = static_cast<std::size_t>(-1);
  EXPECT_FALSE(readU8(bytes, 5, u8) || readU16LE(bytes, 4, u16) || readU32LE(bytes, 2, u32));
  EXPECT_FALSE(readU16LE(bytes, huge, u16) || readU32LE(bytes, huge, u32) || readU8("", 0, u8));
  EXPECT_EQ(u8, 0xFF);
  EXPECT_EQ(u16, 0xFF04);
  EXPECT_EQ(u32, 0xFF040302u);

  std::string written;
  appendU16LE(written, 0x1234);
  appendU32LE(written, 0xA1B2C3D4u);
  EXPECT_EQ(written, std::string("\x34\x12\xD4\xC3\xB2\xA1", 6));
}

TEST(BinaryIo, PatchesInPlaceOnlyWhenEveryOffsetFits) {
  test::TempDir dir;
  test::writeFile(dir / "planes.dat", std::string(8, '\0'));
  const std::vector<BytePatch> patches{{0, 0x41}, {7, 0xFF}, {3, 0x10}, {3, 0x11}};
  EXPECT_FALSE(patchFileBytes(dir / "planes.dat", patches));
  EXPECT_EQ(test::readFile(dir / "planes.dat"), std::string("A\0\0\x11\0\0\0\xFF", 8));
  EXPECT_FALSE(patchFileBytes(dir / "planes.dat", std::vector<BytePatch>{}));

  // The offset past the end comes last: nothing before it may have been written.
  test::writeFile(dir / "loadout.dat", "0123456789");
  const std::vector<BytePatch> tooFar{{0, 'X'}, {5, 'Y'}, {10, 'Z'}};
  EXPECT_EQ(patchFileBytes(dir / "loadout.dat", tooFar), std::errc::result_out_of_range);
  EXPECT_EQ(test::readFile(dir / "loadout.dat"), "0123456789");

  EXPECT_TRUE(patchFileBytes(dir / "missing.dat", patches));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.dat"));
}

}  // namespace
}  // namespace kvo
