// The byte layouts that other processes and stored files rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "common/dib.h"
#include "common/drive_letter_map.h"
#include "common/sd_channel.h"

namespace zt {
namespace {

TEST(DriveLetterMap, NameSizeOffsetsAndValues) {
  // Size, offsets and values are checked where they are declared.
  EXPECT_STREQ(drivemap::kName, "Global\\ZTLB_DRIVE_LETTER_MAP");
  EXPECT_TRUE(drivemap::IsDriveLetter('A'));
  EXPECT_TRUE(drivemap::IsDriveLetter('Z'));
  EXPECT_FALSE(drivemap::IsDriveLetter('e'));
  EXPECT_FALSE(drivemap::IsDriveLetter(0));
}

TEST(SdChannel, CodesAndNames) {
  EXPECT_STREQ(sdchannel::kMessageName, "ZT_CHK_SDWIFI");
  EXPECT_STREQ(sdchannel::kCheckerWindowClass, "E1148CB7-F600-44b4-9B63-BD90CE6E3E5E");
  // The codes are checked where they are declared.
  // The overlay side ignores the failure code because of its high word.
  EXPECT_TRUE(sdchannel::IsOverlayCode(3));
  EXPECT_FALSE(sdchannel::IsOverlayCode(sdchannel::kDeliveryFailed));
}

TEST(SdChannel, RegistrationBlockBytesAreLittleEndianFields) {
  sdchannel::RegistrationBlock block{};
  block.clientWindow = 0x00010203;
  block.folderMask = sdchannel::kDefaultFolderMask;
  block.firstPass = 0;
  std::strcpy(block.destinationFolder, "C:\\x\\");
  unsigned char bytes[sdchannel::kRegistrationBlockSize];
  std::memcpy(bytes, &block, sizeof bytes);
  EXPECT_EQ(bytes[0], 0x03);
  EXPECT_EQ(bytes[3], 0x00);
  EXPECT_EQ(bytes[4], 0x3F);
  EXPECT_EQ(bytes[8], 0);
  EXPECT_EQ(bytes[12], 'C');
  EXPECT_EQ(bytes[16], '\\');
  EXPECT_EQ(bytes[17], 0);
}

// 32- and 64-bit processes meet through the block's 32-bit handle field.
TEST(SdChannel, WindowFieldCarriesEveryWindowHandleOfEitherBuild) {
  for (std::uint32_t field : {0u, 0x10020u, 0x7FFFFFFFu, 0x80000000u, 0xFFFF1234u})
    EXPECT_EQ(sdchannel::WindowToField(sdchannel::FieldToWindow(field)), field) << field;
  // A handle with the top bit set widens with the sign, as 64-bit Windows makes such handles.
  EXPECT_EQ(static_cast<std::intptr_t>(sdchannel::FieldToWindow(0xFFFF1234u)), -0xEDCC);
}

TEST(SdChannel, BoundedLengthStopsAtTheFieldEnd) {
  char field[8];
  std::memset(field, 'a', sizeof field);
  EXPECT_EQ(sdchannel::BoundedLength(field, sizeof field), 8u);
  field[3] = '\0';
  EXPECT_EQ(sdchannel::BoundedLength(field, sizeof field), 3u);
}

TEST(Dib, RowBytesArePaddedToWholeWords) {
  EXPECT_EQ(DibRowBytes24(0), 0u);
  EXPECT_EQ(DibRowBytes24(-3), 0u);
  EXPECT_EQ(DibRowBytes24(2), 8u);
  EXPECT_EQ(DibRowBytes24(3), 12u);
  EXPECT_EQ(DibRowBytes24(2400), 7200u);
  EXPECT_EQ(DibRowBytes(8, 1), 4u);
  EXPECT_EQ(DibRowBytes(32, 1), 4u);
  EXPECT_EQ(DibRowBytes(7, 8), 8u);
  EXPECT_EQ(DibRowBytes(3, 32), 12u);
  // No 32-bit overflow for widths a 32-bit product would wrap.
  EXPECT_EQ(DibRowBytes24(0x60000000LL), 0x120000000ULL);
  EXPECT_EQ(DibImageBytes24(3, 2), 24u);
  EXPECT_EQ(DibImageBytes24(3, 0), 0u);
}

}  // namespace
}  // namespace zt
