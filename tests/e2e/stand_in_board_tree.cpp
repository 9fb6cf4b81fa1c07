#include "stand_in_board_tree.h"

#include <windows.h>

namespace zt::shell {

namespace {

// A foreign stick and the board, each with one child: the stick's disk, and the board's storage
// function whose volume is reached through its removal relations (it has no volume interface
// itself), as with a real card reader.
enum Node : DeviceNode { kStick = 1, kStickDisk, kBoard, kBoardStorage };

constexpr char kBoardHardwareId[] = "USB\\VID_2E5B&PID_0C23&REV_0100";
constexpr char kStickHardwareId[] = "USB\\VID_0781&PID_5567&REV_0100";
constexpr char kBoardStorageId[] = "USBSTOR\\DISK&VEN_ZENTAB&PROD_BOARD\\ZTB0001STANDIN";
constexpr char kStickDiskId[] = "USBSTOR\\DISK&VEN_SOME&PROD_STICK\\4C530001";
constexpr char kBoardVolumeId[] = "STORAGE\\VOLUME\\ZTB0001STANDIN";
constexpr char kBoardVolumeInterface[] =
    "\\\\?\\STORAGE#VOLUME#ZTB0001STANDIN#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

}  // namespace

bool StandInBoardTree::Plugged() const {
  const DWORD attributes = GetFileAttributesA(Root().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The board's volume interface resolves to the volume of the drive letter.
std::optional<std::string> StandInBoardTree::VolumeName(const std::string& mountPoint) {
  if (mountPoint == std::string(kBoardVolumeInterface) + "\\") return m_system.VolumeName(Root());
  return m_system.VolumeName(mountPoint);
}

std::vector<UsbDevice> StandInBoardTree::UsbDevices() {
  std::vector<UsbDevice> devices{{kStick, kStickHardwareId}};
  if (Plugged()) devices.push_back({kBoard, kBoardHardwareId});
  return devices;
}

std::optional<DeviceNode> StandInBoardTree::FirstChild(DeviceNode node) {
  if (node == kStick) return kStickDisk;
  if (node == kBoard) return kBoardStorage;
  return std::nullopt;
}

std::optional<DeviceNode> StandInBoardTree::NextSibling(DeviceNode) { return std::nullopt; }

std::optional<DeviceNode> StandInBoardTree::Parent(DeviceNode node) {
  if (node == kStickDisk) return kStick;
  if (node == kBoardStorage) return kBoard;
  return std::nullopt;
}

std::optional<std::string> StandInBoardTree::InstanceId(DeviceNode node) {
  if (node == kStickDisk) return kStickDiskId;
  if (node == kBoardStorage) return kBoardStorageId;
  return std::nullopt;
}

std::optional<std::vector<std::string>> StandInBoardTree::VolumeInterfaces(const std::string& instanceId) {
  if (instanceId == kBoardVolumeId) return std::vector<std::string>{kBoardVolumeInterface};
  return std::vector<std::string>{};
}

std::optional<std::vector<std::string>> StandInBoardTree::RemovalRelations(const std::string& instanceId) {
  if (instanceId == kBoardStorageId) return std::vector<std::string>{kBoardVolumeId};
  return std::vector<std::string>{};
}

}  // namespace zt::shell
