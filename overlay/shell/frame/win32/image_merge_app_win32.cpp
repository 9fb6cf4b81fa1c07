#include "overlay/shell/frame/win32/image_merge_app.h"

#include <commctrl.h>

#include "common/win32/single_instance.h"

namespace zt::shell {

bool CImageMergeApp::InitInstance() {
  // A second copy, also one in another user's session, ends without a word and touches nothing.
  if (!app::ClaimSingleInstance(m_hMutex, kInstanceMutex)) return false;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);

  m_pFrame = std::make_unique<CMainFrame>(std::move(m_pDeviceTree));
  m_pFrame->QuitOnDestroy(true);
  if (!m_pFrame->CreateFrame()) return false;
  ShowWindow(m_pFrame->Hwnd(), SW_HIDE);
  UpdateWindow(m_pFrame->Hwnd());
  return true;
}

}  // namespace zt::shell
