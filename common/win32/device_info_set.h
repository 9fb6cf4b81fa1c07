// The owner of a SetupAPI device information set. Apart from the other owners because only the
// search for the board's drive links SetupAPI.
#pragma once

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include "common/win32/unique_handle.h"

namespace zt::app {

// Destroyed with SetupDiDestroyDeviceInfoList; a failed SetupDiGetClassDevsA is INVALID_HANDLE_VALUE.
using UniqueDeviceInfoSet =
    UniqueOwner<ClosedBy<HDEVINFO, &SetupDiDestroyDeviceInfoList, NoHandle::NullOrInvalid>>;

}  // namespace zt::app
