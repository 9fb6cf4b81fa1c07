// CImageMergeApp: ZTLumbrel's application object. One copy runs per machine; it creates the
// hidden main frame, hides it and runs the message loop until the frame is destroyed.
#pragma once

#include <memory>

#include "common/win32/application.h"
#include "common/win32/handles.h"
#include "overlay/shell/frame/win32/main_frame.h"

namespace zt::shell {

inline constexpr char kInstanceMutex[] = "Global\\ZentabLumbrel";

class CImageMergeApp final : public app::Application {
 public:
  // The frame searches the board in this device tree (the system's unless a test build says else).
  explicit CImageMergeApp(std::unique_ptr<DeviceTree> deviceTree = std::make_unique<WinDeviceTree>())
      : m_pDeviceTree(std::move(deviceTree)) {}
  CMainFrame* Frame() const { return m_pFrame.get(); }

 protected:
  bool InitInstance() override;

 private:
  // Held for the life of the process; the system releases it at exit.
  app::UniqueHandle m_hMutex;
  std::unique_ptr<DeviceTree> m_pDeviceTree;  // handed to the frame when it is made
  std::unique_ptr<CMainFrame> m_pFrame;
};

}  // namespace zt::shell
