#include "overlay/shell/device_watch/win32/device_notification.h"

#include <dbt.h>

#include "overlay/shell/device_watch/win32/device_tree_win32.h"

namespace zt::shell {

app::UniqueDeviceNotification RegisterUsbNotification(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;  // 32 bytes
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  // USB devices only: volume arrivals and removals reach a top-level window without registering.
  filter.dbcc_classguid = UsbDeviceInterface();
  return app::UniqueDeviceNotification(
      RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
}

}  // namespace zt::shell
