// One poll tick of the scan checker: the DriveLetterMap byte protocol on the checker's side.
#pragma once

#include "chkscan/volume_channel.h"
#include "common/drive_map_view.h"

namespace zt::chkscan {

// What the frame does after a tick.
enum class NextTick {
  kPoll,       // poll again after kPollDelayMs
  kRetryOpen,  // the volume would not open: try again after kRetryDelayMs
  kQuit,       // the service asked the checker to quit; the volume is closed
};

inline constexpr unsigned kPollDelayMs = 300;
inline constexpr unsigned kRetryDelayMs = 50;

class CScanChecker {
 public:
  explicit CScanChecker(VolumeDevice& device) : m_channel(device) {}

  NextTick Tick(const drivemap::DriveMapView& map);
  void CloseVolume() { m_channel.CloseVolume(); }

 private:
  bool NeedsOpen(const drivemap::DriveMapView& map, char letter) const;

  CVolumeChannel m_channel;
};

}  // namespace zt::chkscan
