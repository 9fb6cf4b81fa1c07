#include "chkscan/scan_checker.h"

namespace zt::chkscan {

namespace dm = drivemap;

NextTick CScanChecker::Tick(const dm::DriveMapView& map) {
  // The main program has not taken the last event yet: the board is not asked, and a quit
  // request waits too (the service ends the checker by force).
  if (map.Holds(dm::kScanPressed, dm::kScanPressedSet)) return NextTick::kPoll;

  const char letter = static_cast<char>(map.Get(dm::kDriveLetter));
  if (letter != 0) {
    if (NeedsOpen(map, letter)) {
      if (!m_channel.OpenVolume(letter)) return NextTick::kRetryOpen;
      map.Set(dm::kDriveChanged, dm::kClear);
    }
    map.Set(dm::kScanPressed, m_channel.PollScanButton() ? dm::kScanPressedSet : dm::kClear);
  } else {
    map.Set(dm::kDriveLetter, dm::kClear);
    map.Set(dm::kScanPressed, dm::kClear);
    map.Set(dm::kDriveChanged, dm::kClear);
    m_channel.CloseVolume();
  }

  if (map.Holds(dm::kTerminateChecker, dm::kTerminateCheckerSet)) {
    m_channel.CloseVolume();
    return NextTick::kQuit;
  }
  return NextTick::kPoll;
}

// A re-published letter ('N') reopens even the same volume: that is how a handle whose device
// went away and came back is replaced instead of being polled in error for ever.
bool CScanChecker::NeedsOpen(const dm::DriveMapView& map, char letter) const {
  return map.Holds(dm::kDriveChanged, dm::kDriveChangedSet) || !m_channel.IsOpen() ||
         m_channel.Letter() != letter;
}

}  // namespace zt::chkscan
