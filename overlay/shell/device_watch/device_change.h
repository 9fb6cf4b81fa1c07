// Which device broadcasts concern the board's published drive.
#pragma once

#include <cstdint>

namespace zt::shell {

inline constexpr std::uint32_t kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
inline constexpr std::uint32_t kDeviceTypeVolume = 2;           // DBT_DEVTYP_VOLUME

// A removal takes the board's drive away only when it names a volume whose unit mask holds the
// published letter (bit 0 = drive A); another stick pulled out changes nothing.
constexpr bool RemovalTakesDrive(char publishedLetter, std::uint32_t deviceType, std::uint32_t unitMask) {
  if (publishedLetter < 'A' || publishedLetter > 'Z') return false;
  if (deviceType != kDeviceTypeVolume) return false;
  return (unitMask >> (publishedLetter - 'A')) & 1u;
}

}  // namespace zt::shell
