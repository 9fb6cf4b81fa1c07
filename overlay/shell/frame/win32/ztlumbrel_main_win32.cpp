// ZTLumbrel.exe: the tray application.
#include <windows.h>

#include "overlay/shell/frame/win32/image_merge_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  zt::shell::CImageMergeApp app;
  return app.Run();
}
