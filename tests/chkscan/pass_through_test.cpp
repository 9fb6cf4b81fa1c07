// The request the checker sends, byte for byte, and how the channel reads the board's answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "chkscan/pass_through.h"
#include "tests/support/fake_volume.h"

namespace zt::chkscan {
namespace {

// The record as the board's driver must see it, written out field by field.
std::vector<std::uint8_t> ExpectedRecord() {
  std::vector<std::uint8_t> b(592, 0);
  b[0] = 44;   // Length (2 bytes, little-endian)
  b[4] = 1;    // TargetId
  b[6] = 6;    // CdbLength
  b[7] = 32;   // SenseInfoLength
  b[8] = 1;    // DataIn
  b[16] = 5;   // TimeOutValue, seconds
  b[24] = 48;  // SenseInfoOffset
  // DataTransferLength, DataBufferOffset, the CDB (TEST UNIT READY), filler, sense and data: 0
  return b;
}

TEST(PassThroughRecord, TestUnitReadyIsTheTableByteForByte) {
  const PassThroughRecord r = MakeTestUnitReady();
  std::vector<std::uint8_t> bytes(sizeof r);
  std::memcpy(bytes.data(), &r, sizeof r);
  EXPECT_EQ(bytes, ExpectedRecord());
  EXPECT_EQ(kIoctlScsiPassThrough, 315396u);
  EXPECT_EQ(kHeaderSize, 44u);
  EXPECT_EQ(kAnswerSize, 80u);
}

TEST(VolumeChannel, AnyNonZeroStatusIsAPressButAFailedRequestIsNot) {
  FakeVolume device;
  CVolumeChannel channel(device);
  EXPECT_FALSE(channel.PollScanButton());  // nothing open: the board is not asked
  ASSERT_TRUE(channel.OpenVolume('F'));
  for (std::uint8_t status : {0x02, 0x08, 0xFF}) {
    device.status = status;
    EXPECT_TRUE(channel.PollScanButton()) << int(status);
  }
  device.status = 0;
  EXPECT_FALSE(channel.PollScanButton());
  device.status = 0x02;
  device.requestFails = true;
  EXPECT_FALSE(channel.PollScanButton());
  // Every request went out fresh, exactly as the table says, whatever the last answer was.
  const std::vector<std::uint8_t> record = ExpectedRecord();
  ASSERT_EQ(device.sent.size(), 5u);
  for (const auto& s : device.sent) EXPECT_TRUE(std::equal(s.begin(), s.end(), record.begin()));
  // A volume that will not open leaves neither handle nor letter.
  EXPECT_FALSE(channel.OpenVolume('Q'));
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_EQ(channel.Letter(), 0);
}

}  // namespace
}  // namespace zt::chkscan
