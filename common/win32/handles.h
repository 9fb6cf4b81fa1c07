// Owners of kernel and system handles: the one owner template, told how each kind is closed.
#pragma once

#include <windows.h>

#include "common/win32/unique_handle.h"

namespace zt::app {

// A kernel handle closed with CloseHandle (processes, threads, mutexes, events, sections, files,
// snapshots). Both null and INVALID_HANDLE_VALUE count as "none".
using UniqueHandle = UniqueOwner<ClosedBy<HANDLE, &CloseHandle, NoHandle::NullOrInvalid>>;

// A FindFirstFileA search, closed with FindClose; a failed search is INVALID_HANDLE_VALUE.
using UniqueFindHandle = UniqueOwner<ClosedBy<HANDLE, &FindClose, NoHandle::NullOrInvalid>>;

// An open registry key, closed with RegCloseKey.
using UniqueKey = UniqueOwner<ClosedBy<HKEY, &RegCloseKey>>;

// The service control manager or a service, closed with CloseServiceHandle.
using UniqueServiceHandle = UniqueOwner<ClosedBy<SC_HANDLE, &CloseServiceHandle>>;

// A window's registration for device events, given back with UnregisterDeviceNotification.
using UniqueDeviceNotification = UniqueOwner<ClosedBy<HDEVNOTIFY, &UnregisterDeviceNotification>>;

// A menu from LoadMenuA or CreatePopupMenu that no window owns, destroyed with DestroyMenu.
using UniqueMenu = UniqueOwner<ClosedBy<HMENU, &DestroyMenu>>;

// A library from LoadLibraryA, freed with FreeLibrary.
using UniqueModule = UniqueOwner<ClosedBy<HMODULE, &FreeLibrary>>;

// A view of a section from MapViewOfFile, unmapped with UnmapViewOfFile.
using MappedView = UniqueOwner<ClosedBy<void*, &UnmapViewOfFile>>;

// Memory the system allocated for the caller and hands back to be freed with LocalFree (a
// security descriptor built from SDDL, one read back with GetSecurityInfo, a SID's text).
using LocalMemory = UniqueOwner<ClosedBy<HLOCAL, &LocalFree>>;

}  // namespace zt::app
