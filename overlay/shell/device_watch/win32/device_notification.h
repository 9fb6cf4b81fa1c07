// The frame's registration for USB device arrivals and removals, released with its owner.
#pragma once

#include <windows.h>

#include "common/win32/handles.h"

namespace zt::shell {

// Registers window for the arrival and removal of USB devices; empty when the system refused.
app::UniqueDeviceNotification RegisterUsbNotification(HWND window);

}  // namespace zt::shell
