// The DriveLetterMap: the named shared block through which the tray application, the scan
// checker and the detector service exchange single bytes. 0 always means clear.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt::drivemap {

inline constexpr const char kName[] = "Global\\ZTLB_DRIVE_LETTER_MAP";
inline constexpr std::size_t kSize = 1024;

// Offsets of the used bytes; bytes 5 to 1023 stay zero.
inline constexpr std::size_t kDriveLetter = 0;
inline constexpr std::size_t kScanPressed = 1;
inline constexpr std::size_t kDriveChanged = 2;
inline constexpr std::size_t kTerminateChecker = 3;
inline constexpr std::size_t kRestartChecker = 4;

// The values each byte takes when set.
inline constexpr std::uint8_t kClear = 0;
inline constexpr std::uint8_t kScanPressedSet = 0x53;       // 'S'
inline constexpr std::uint8_t kDriveChangedSet = 0x4E;      // 'N'
inline constexpr std::uint8_t kTerminateCheckerSet = 0x54;  // 'T'
inline constexpr std::uint8_t kRestartCheckerSet = 0x52;    // 'R'

// Mutex whose existence tells that a scan checker runs.
inline constexpr const char kCheckerMutex[] = "Global\\ZTChkScan";

// Other processes, built apart, read these bytes at these places.
static_assert(kSize == 1024);
static_assert(kDriveLetter == 0 && kScanPressed == 1 && kDriveChanged == 2 && kTerminateChecker == 3 &&
              kRestartChecker == 4);
static_assert(kScanPressedSet == 'S' && kDriveChangedSet == 'N' && kTerminateCheckerSet == 'T' &&
              kRestartCheckerSet == 'R');

// A drive letter is valid in the block only as upper-case ASCII.
constexpr bool IsDriveLetter(std::uint8_t b) { return b >= 'A' && b <= 'Z'; }

}  // namespace zt::drivemap
