// ZTLumbrel's application: one copy runs per machine; it creates the hidden main frame, hides it
// and runs the message loop until the frame is destroyed.
#pragma once

#include <memory>

#include "overlay/shell/device_watch/win32/device_tree_win32.h"

namespace zt::shell {

inline constexpr char kInstanceMutex[] = "Global\\ZentabLumbrel";

// Runs the program and returns its exit code. The frame searches the board in deviceTree (the
// system's unless a test build says else).
int RunImageMergeApp(std::unique_ptr<DeviceTree> deviceTree = std::make_unique<WinDeviceTree>());

}  // namespace zt::shell
