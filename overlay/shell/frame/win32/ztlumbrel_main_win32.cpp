// ZTLumbrel.exe: the tray application.
#include <windows.h>

#include "overlay/shell/frame/win32/image_merge_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return zt::shell::RunImageMergeApp(); }
