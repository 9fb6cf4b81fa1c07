#include "overlay/shell/device_watch/device_change.h"

#include <gtest/gtest.h>

namespace zt::shell {
namespace {

TEST(DeviceRemoval, TakesThePublishedDriveOnlyWhenItsVolumeBitIsInTheMask) {
  // E: is bit 4; A: bit 0; Z: bit 25.
  EXPECT_TRUE(RemovalTakesDrive('E', kDeviceTypeVolume, 1u << 4));
  EXPECT_TRUE(RemovalTakesDrive('E', kDeviceTypeVolume, (1u << 4) | (1u << 6)));
  EXPECT_TRUE(RemovalTakesDrive('A', kDeviceTypeVolume, 1u));
  EXPECT_TRUE(RemovalTakesDrive('Z', kDeviceTypeVolume, 1u << 25));
  // Another stick pulled out, or its neighbours' bits.
  EXPECT_FALSE(RemovalTakesDrive('E', kDeviceTypeVolume, 1u << 6));
  EXPECT_FALSE(RemovalTakesDrive('E', kDeviceTypeVolume, (1u << 3) | (1u << 5)));
  EXPECT_FALSE(RemovalTakesDrive('Z', kDeviceTypeVolume, 1u << 24));
}

TEST(DeviceRemoval, NeedsAPublishedLetterAndAVolumeBroadcast) {
  EXPECT_FALSE(RemovalTakesDrive(0, kDeviceTypeVolume, 0xFFFFFFFFu));
  EXPECT_FALSE(RemovalTakesDrive('e', kDeviceTypeVolume, 0xFFFFFFFFu));
  EXPECT_FALSE(RemovalTakesDrive('E', 5 /* a device interface */, 1u << 4));
}

}  // namespace
}  // namespace zt::shell
