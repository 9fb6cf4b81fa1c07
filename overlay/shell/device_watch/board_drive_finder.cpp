#include "overlay/shell/device_watch/board_drive_finder.h"

#include <cctype>
#include <cstdio>

namespace zt::shell {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string LastComponent(const std::string& instanceId) {
  const std::size_t cut = instanceId.find_last_of('\\');
  return cut == std::string::npos ? instanceId : instanceId.substr(cut + 1);
}

// Volume GUID paths compared without regard to case, over the length of the drive's path.
bool SameVolume(const std::string& driveVolume, const std::string& other) {
  if (other.size() < driveVolume.size()) return false;
  return Upper(other.substr(0, driveVolume.size())) == Upper(driveVolume);
}

}  // namespace

bool IsBoardHardwareId(const std::string& firstHardwareId) {
  const std::string id = Upper(firstHardwareId);
  for (const unsigned product : kBoardProductIds) {
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "VID_%04X&PID_%04X", kBoardVendorId, product);
    if (id.find(wanted) != std::string::npos) return true;
  }
  return false;
}

BoardDrive CBoardDriveFinder::Find() {
  const std::uint32_t drives = m_tree.LogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    const BoardDrive drive = MatchDrive(static_cast<char>('A' + i));
    if (drive.found) return drive;
  }
  return {};
}

BoardDrive CBoardDriveFinder::MatchDrive(char letter) {
  const std::string root = std::string(1, letter) + ":\\";
  if (!m_tree.IsRemovable(root)) return {};
  for (const UsbDevice& device : m_tree.UsbDevices()) {
    if (!IsBoardHardwareId(device.firstHardwareId)) continue;
    const std::optional<DeviceNode> child = m_tree.FirstChild(device.node);
    if (!child) continue;
    const std::optional<std::string> childId = m_tree.InstanceId(*child);
    if (!childId) continue;
    const std::optional<std::string> driveVolume = m_tree.VolumeName(root);
    if (!driveVolume || driveVolume->empty()) continue;
    if (SubtreeHoldsVolume(device.node, *child, *driveVolume)) return {true, letter, LastComponent(*childId)};
  }
  return {};
}

// Depth first from start, never above usbDevice. A node whose volume cannot be told ends the walk
// without a match; another volume moves on to the next node.
bool CBoardDriveFinder::SubtreeHoldsVolume(DeviceNode usbDevice, DeviceNode start,
                                           const std::string& driveVolume) {
  std::optional<DeviceNode> node = start;
  while (node) {
    const std::optional<std::string> volume = NodeVolume(*node);
    if (!volume) return false;
    if (SameVolume(driveVolume, *volume)) return true;
    node = NextInSubtree(usbDevice, *node);
  }
  return false;
}

// A node's own volume interface, or else that of the first device removed with it (a disk's
// volume hangs off the volume manager, not below the disk).
std::optional<std::string> CBoardDriveFinder::NodeVolume(DeviceNode node) {
  const std::optional<std::string> id = m_tree.InstanceId(node);
  if (!id) return std::nullopt;
  std::optional<std::vector<std::string>> interfaces = m_tree.VolumeInterfaces(*id);
  if (!interfaces) return std::nullopt;
  if (interfaces->empty()) {
    const std::optional<std::vector<std::string>> related = m_tree.RemovalRelations(*id);
    if (!related || related->empty()) return std::nullopt;
    interfaces = m_tree.VolumeInterfaces(related->front());
    if (!interfaces || interfaces->empty()) return std::nullopt;
  }
  return m_tree.VolumeName(interfaces->front() + "\\");
}

std::optional<DeviceNode> CBoardDriveFinder::NextInSubtree(DeviceNode usbDevice, DeviceNode node) {
  if (const std::optional<DeviceNode> child = m_tree.FirstChild(node)) return child;
  while (true) {
    if (const std::optional<DeviceNode> sibling = m_tree.NextSibling(node)) return sibling;
    const std::optional<DeviceNode> parent = m_tree.Parent(node);
    if (!parent || *parent == usbDevice) return std::nullopt;
    node = *parent;
  }
}

}  // namespace zt::shell
