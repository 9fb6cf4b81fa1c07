// CBoardDriveFinder: which removable drive belongs to the whiteboard. The board is a USB device
// with the board's vendor id and one of its product ids; its drive is the lowest letter whose
// volume lies in that device's subtree of the device tree.
#pragma once

#include <string>

#include "overlay/shell/device_watch/device_tree.h"

namespace zt::shell {

struct BoardDrive {
  bool found = false;
  char letter = 0;      // 'A' to 'Z'
  std::string boardId;  // last part of the instance id of the board's storage function
};

inline constexpr unsigned kBoardVendorId = 0x2E5B;
inline constexpr unsigned kBoardProductIds[] = {0x0C21, 0x0C23, 0x0C25};

class CBoardDriveFinder {
 public:
  explicit CBoardDriveFinder(DeviceTree& tree) : m_tree(tree) {}
  BoardDrive Find();

 private:
  BoardDrive MatchDrive(char letter);
  // The board's storage function below usbDevice; its drive's volume is looked for in there.
  bool SubtreeHoldsVolume(DeviceNode usbDevice, DeviceNode start, const std::string& driveVolume);
  std::optional<std::string> NodeVolume(DeviceNode node);
  std::optional<DeviceNode> NextInSubtree(DeviceNode usbDevice, DeviceNode node);

  DeviceTree& m_tree;
};

// Whether a first hardware id names the board, e.g. "USB\VID_2E5B&PID_0C23&REV_0100".
bool IsBoardHardwareId(const std::string& firstHardwareId);

}  // namespace zt::shell
