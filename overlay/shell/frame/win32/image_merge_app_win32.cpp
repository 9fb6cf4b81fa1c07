#include "overlay/shell/frame/win32/image_merge_app.h"

#include <commctrl.h>

#include "common/win32/hidden_frame_program.h"
#include "overlay/shell/frame/win32/main_frame.h"

namespace zt::shell {

int RunImageMergeApp(std::unique_ptr<DeviceTree> deviceTree) {
  // A second copy, also one in another user's session, ends without a word and touches nothing.
  return app::RunHiddenFrameProgram(kInstanceMutex, [&]() -> std::unique_ptr<app::FrameWindow> {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    auto frame = std::make_unique<CMainFrame>(std::move(deviceTree));
    frame->QuitOnDestroy(true);
    if (!frame->CreateFrame()) return nullptr;
    ShowWindow(frame->Hwnd(), SW_HIDE);
    UpdateWindow(frame->Hwnd());
    return frame;
  });
}

}  // namespace zt::shell
