// The owner of a WinInet handle (session, connection, request). Apart from the other owners
// because only the wireless SD card checker links WinInet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "common/win32/unique_handle.h"

namespace zt::app {

using UniqueInternetHandle = UniqueOwner<ClosedBy<HINTERNET, &InternetCloseHandle>>;

}  // namespace zt::app
