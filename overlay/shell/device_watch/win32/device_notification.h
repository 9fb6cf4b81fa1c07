// The frame's registration for USB device arrivals and removals, released with its owner.
#pragma once

#include <windows.h>

#include <utility>

namespace zt::shell {

class DeviceNotification {
 public:
  DeviceNotification() = default;
  ~DeviceNotification() { Reset(); }
  DeviceNotification(const DeviceNotification&) = delete;
  DeviceNotification& operator=(const DeviceNotification&) = delete;

  // Registers window for the arrival and removal of USB devices; false when the system refused.
  bool Register(HWND window);
  void Reset();

 private:
  HDEVNOTIFY m_h = nullptr;
};

}  // namespace zt::shell
