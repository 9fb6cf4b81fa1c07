// What the search for the board needs of the system: the drive letters and their volumes, the
// present USB devices, and the device tree below them with each node's volume interfaces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zt::shell {

// A node of the device tree (a device instance).
using DeviceNode = std::uintptr_t;

struct UsbDevice {
  DeviceNode node = 0;
  std::string firstHardwareId;  // the first string of its hardware ids, as the system reports it
};

class DeviceTree {
 public:
  virtual ~DeviceTree() = default;

  // Bit i set: drive letter 'A' + i exists.
  virtual std::uint32_t LogicalDrives() = 0;
  virtual bool IsRemovable(const std::string& root) = 0;
  // The volume GUID path of a mount point ("E:\" or an interface path with a trailing "\").
  virtual std::optional<std::string> VolumeName(const std::string& mountPoint) = 0;

  // The present USB devices, in the system's order.
  virtual std::vector<UsbDevice> UsbDevices() = 0;
  virtual std::optional<DeviceNode> FirstChild(DeviceNode node) = 0;
  virtual std::optional<DeviceNode> NextSibling(DeviceNode node) = 0;
  virtual std::optional<DeviceNode> Parent(DeviceNode node) = 0;
  virtual std::optional<std::string> InstanceId(DeviceNode node) = 0;
  // The volume interface paths of a device instance, or nothing when the lookup failed.
  virtual std::optional<std::vector<std::string>> VolumeInterfaces(const std::string& instanceId) = 0;
  // The instance ids of the devices that go when this one is removed, or nothing on failure.
  virtual std::optional<std::vector<std::string>> RemovalRelations(const std::string& instanceId) = 0;
};

}  // namespace zt::shell
