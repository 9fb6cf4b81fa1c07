// The attached displays: monitors from the desktop's own list, their identity from the monitor's
// device interface (stable across re-plugging and renumbering), their name from the monitor's
// own description where the display configuration has one.
#include <windows.h>

#include <algorithm>
#include <map>

#include "common/win32/physical_pixels.h"
#include "overlay/engine/capture/displays.h"

namespace zt {

namespace {

std::string Narrow(const wchar_t* text) {
  char buffer[256] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  return buffer;
}

// The monitors' own names ("Projector ..."), by the adapter output they are shown on
// ("\\.\DISPLAY2"). Empty where the system keeps no display configuration.
std::map<std::string, std::string> MonitorNames() {
  std::map<std::string, std::string> names;
  UINT32 pathCount = 0, modeCount = 0;
  if (GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS)
    return names;
  std::vector<DISPLAYCONFIG_PATH_INFO> paths(pathCount);
  std::vector<DISPLAYCONFIG_MODE_INFO> modes(modeCount);
  if (QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(),
                         nullptr) != ERROR_SUCCESS)
    return names;
  paths.resize(pathCount);
  for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
    source.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME;
    source.header.size = sizeof source;
    source.header.adapterId = path.sourceInfo.adapterId;
    source.header.id = path.sourceInfo.id;
    DISPLAYCONFIG_TARGET_DEVICE_NAME target{};
    target.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME;
    target.header.size = sizeof target;
    target.header.adapterId = path.targetInfo.adapterId;
    target.header.id = path.targetInfo.id;
    if (DisplayConfigGetDeviceInfo(&source.header) != ERROR_SUCCESS ||
        DisplayConfigGetDeviceInfo(&target.header) != ERROR_SUCCESS)
      continue;
    const std::string name = Narrow(target.monitorFriendlyDeviceName);
    if (!name.empty()) names[Narrow(source.viewGdiDeviceName)] = name;
  }
  return names;
}

// Identity and a plain name from the first monitor on an adapter output.
void DescribeMonitor(const char* output, DisplayInfo& display) {
  DISPLAY_DEVICEA monitor{};
  monitor.cb = sizeof monitor;
  if (EnumDisplayDevicesA(output, 0, &monitor, EDD_GET_DEVICE_INTERFACE_NAME) && monitor.DeviceID[0]) {
    display.identity = monitor.DeviceID;
    display.name = monitor.DeviceString;
  }
  // Without a monitor interface the output's name is all there is to know it by; such a choice
  // may then follow the output rather than the monitor. The interface path names the monitor and
  // the connector it is on: the same monitor on another connector is another display.
  if (display.identity.empty()) display.identity = output;
  if (display.name.empty()) display.name = output;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  DisplayInfo display;
  display.left = info.rcMonitor.left;
  display.top = info.rcMonitor.top;
  display.right = info.rcMonitor.right;
  display.bottom = info.rcMonitor.bottom;
  display.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  display.output = info.szDevice;
  DescribeMonitor(info.szDevice, display);
  reinterpret_cast<std::vector<DisplayInfo>*>(list)->push_back(display);
  return TRUE;
}

}  // namespace

std::vector<DisplayInfo> ListDisplays() {
  const app::PhysicalPixels physical;
  std::vector<DisplayInfo> displays;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&displays));
  const std::map<std::string, std::string> names = MonitorNames();
  for (DisplayInfo& display : displays) {
    const auto own = names.find(display.output);
    if (own != names.end()) display.name = own->second;
  }
  std::stable_partition(displays.begin(), displays.end(), [](const DisplayInfo& d) { return d.primary; });
  return displays;
}

}  // namespace zt
