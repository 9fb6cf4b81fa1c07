#include "overlay/shell/device_watch/win32/device_tree_win32.h"

// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
// clang-format on

#include <utility>

#include "common/win32/device_info_set.h"

namespace zt::shell {

GUID UsbDeviceInterface() {
  return {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
}

namespace {

// {53F5630D-B6BF-11D0-94F2-00A0C91EFB8B}: a mounted volume.
GUID VolumeInterface() {
  return {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
}

// The first string of a device's hardware ids (a multi-string), asked for its size first.
std::optional<std::string> FirstHardwareId(HDEVINFO set, SP_DEVINFO_DATA& device) {
  DWORD size = 0;
  SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, nullptr, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> ids(size + 2, 0);  // room for the closing NULs should the value lack them
  if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, nullptr, ids.data(), size, nullptr))
    return std::nullopt;
  return std::string(reinterpret_cast<const char*>(ids.data()));
}

// The strings of a NUL-separated list that ends with an empty string.
std::vector<std::string> SplitMultiString(const std::vector<char>& list) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < list.size() && list[at] != '\0') {
    std::string s(&list[at]);
    at += s.size() + 1;
    out.push_back(std::move(s));
  }
  return out;
}

std::optional<DeviceNode> Related(CONFIGRET(WINAPI* step)(PDEVINST, DEVINST, ULONG), DeviceNode node) {
  DEVINST next = 0;
  if (step(&next, static_cast<DEVINST>(node), 0) != CR_SUCCESS) return std::nullopt;
  return static_cast<DeviceNode>(next);
}

}  // namespace

std::uint32_t WinDeviceTree::LogicalDrives() { return GetLogicalDrives(); }

bool WinDeviceTree::IsRemovable(const std::string& root) {
  return GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE;
}

std::optional<std::string> WinDeviceTree::VolumeName(const std::string& mountPoint) {
  char volume[MAX_PATH] = {};
  if (!GetVolumeNameForVolumeMountPointA(mountPoint.c_str(), volume, sizeof volume)) return std::nullopt;
  return std::string(volume);
}

std::vector<UsbDevice> WinDeviceTree::UsbDevices() {
  GUID usb = UsbDeviceInterface();
  app::UniqueDeviceInfoSet set(
      SetupDiGetClassDevsA(&usb, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  std::vector<UsbDevice> devices;
  if (!set) return devices;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set.Get(), i, &device); ++i) {
    const std::optional<std::string> id = FirstHardwareId(set.Get(), device);
    if (id) devices.push_back({static_cast<DeviceNode>(device.DevInst), *id});
  }
  return devices;
}

std::optional<DeviceNode> WinDeviceTree::FirstChild(DeviceNode node) { return Related(&CM_Get_Child, node); }
std::optional<DeviceNode> WinDeviceTree::NextSibling(DeviceNode node) {
  return Related(&CM_Get_Sibling, node);
}
std::optional<DeviceNode> WinDeviceTree::Parent(DeviceNode node) { return Related(&CM_Get_Parent, node); }

std::optional<std::string> WinDeviceTree::InstanceId(DeviceNode node) {
  char id[MAX_PATH + 1] = {};
  if (CM_Get_Device_IDA(static_cast<DEVINST>(node), id, MAX_PATH, 0) != CR_SUCCESS) return std::nullopt;
  return std::string(id);
}

std::optional<std::vector<std::string>> WinDeviceTree::VolumeInterfaces(const std::string& instanceId) {
  GUID volume = VolumeInterface();
  std::string id = instanceId;
  ULONG length = 0;
  if (CM_Get_Device_Interface_List_SizeA(&length, &volume, id.data(), CM_GET_DEVICE_INTERFACE_LIST_PRESENT) !=
      CR_SUCCESS)
    return std::nullopt;
  if (length == 0) return std::vector<std::string>{};
  std::vector<char> list(length + 1, '\0');
  if (CM_Get_Device_Interface_ListA(&volume, id.data(), list.data(), length,
                                    CM_GET_DEVICE_INTERFACE_LIST_PRESENT) != CR_SUCCESS)
    return std::nullopt;
  return SplitMultiString(list);
}

std::optional<std::vector<std::string>> WinDeviceTree::RemovalRelations(const std::string& instanceId) {
  ULONG length = 0;
  if (CM_Get_Device_ID_List_SizeA(&length, instanceId.c_str(), CM_GETIDLIST_FILTER_REMOVALRELATIONS) !=
      CR_SUCCESS)
    return std::nullopt;
  if (length == 0) return std::vector<std::string>{};
  std::vector<char> list(length + 1, '\0');
  if (CM_Get_Device_ID_ListA(instanceId.c_str(), list.data(), length, CM_GETIDLIST_FILTER_REMOVALRELATIONS) !=
      CR_SUCCESS)
    return std::nullopt;
  return SplitMultiString(list);
}

}  // namespace zt::shell
