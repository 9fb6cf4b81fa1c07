// The owner of a WinInet handle (session, connection, request). Apart from the other owners
// because only the wireless SD card checker links WinInet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "common/win32/unique_handle.h"

namespace zt::app {

struct InternetHandleTraits {
  using Type = HINTERNET;
  static bool Valid(HINTERNET h) { return h != nullptr; }
  static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
using UniqueInternetHandle = UniqueOwner<InternetHandleTraits>;

}  // namespace zt::app
