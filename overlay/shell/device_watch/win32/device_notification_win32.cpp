#include "overlay/shell/device_watch/win32/device_notification.h"

#include <dbt.h>

namespace zt::shell {

bool DeviceNotification::Register(HWND window) {
  Reset();
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;  // 32 bytes
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  // {A5DCBF10-6530-11D2-901F-00C04FB951ED}, the interface every USB device exposes. Volume
  // arrivals and removals reach a top-level window without registering.
  filter.dbcc_classguid = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
  m_h = RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  return m_h != nullptr;
}

void DeviceNotification::Reset() {
  if (m_h) UnregisterDeviceNotification(std::exchange(m_h, nullptr));
}

}  // namespace zt::shell
