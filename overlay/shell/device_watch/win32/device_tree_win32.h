// The device tree of the running system, as the search for the board reads it: drive letters and
// volume names, the present USB devices from the device installation API, and the nodes below
// them from the configuration manager.
#pragma once

#include <windows.h>

#include "overlay/shell/device_watch/device_tree.h"

namespace zt::shell {

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}: the interface every USB device exposes.
GUID UsbDeviceInterface();

class WinDeviceTree final : public DeviceTree {
 public:
  std::uint32_t LogicalDrives() override;
  bool IsRemovable(const std::string& root) override;
  std::optional<std::string> VolumeName(const std::string& mountPoint) override;

  std::vector<UsbDevice> UsbDevices() override;
  std::optional<DeviceNode> FirstChild(DeviceNode node) override;
  std::optional<DeviceNode> NextSibling(DeviceNode node) override;
  std::optional<DeviceNode> Parent(DeviceNode node) override;
  std::optional<std::string> InstanceId(DeviceNode node) override;
  std::optional<std::vector<std::string>> VolumeInterfaces(const std::string& instanceId) override;
  std::optional<std::vector<std::string>> RemovalRelations(const std::string& instanceId) override;
};

}  // namespace zt::shell
