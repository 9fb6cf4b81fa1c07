// The one stand-in of the board road's Wine test: Wine has no USB devices, so this device tree
// reports a board whose storage function holds the volume of one drive letter, for as long as
// that drive's root can be reached (the test "unplugs" the board by taking its folder away).
// Drive letters, their types and volume names are the system's own, so the search for the board
// runs over a real removable drive.
#pragma once

#include "overlay/shell/device_watch/win32/device_tree_win32.h"

namespace zt::shell {

class StandInBoardTree final : public DeviceTree {
 public:
  explicit StandInBoardTree(char letter) : m_letter(letter) {}

  std::uint32_t LogicalDrives() override { return m_system.LogicalDrives(); }
  bool IsRemovable(const std::string& root) override { return m_system.IsRemovable(root); }
  std::optional<std::string> VolumeName(const std::string& mountPoint) override;

  std::vector<UsbDevice> UsbDevices() override;
  std::optional<DeviceNode> FirstChild(DeviceNode node) override;
  std::optional<DeviceNode> NextSibling(DeviceNode node) override;
  std::optional<DeviceNode> Parent(DeviceNode node) override;
  std::optional<std::string> InstanceId(DeviceNode node) override;
  std::optional<std::vector<std::string>> VolumeInterfaces(const std::string& instanceId) override;
  std::optional<std::vector<std::string>> RemovalRelations(const std::string& instanceId) override;

 private:
  bool Plugged() const;
  std::string Root() const { return std::string(1, m_letter) + ":\\"; }

  char m_letter;
  WinDeviceTree m_system;
};

}  // namespace zt::shell
