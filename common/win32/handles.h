// Owners of kernel and system handles: the one owner template, told how each kind is closed.
#pragma once

#include <windows.h>

#include "common/win32/unique_handle.h"

namespace zt::app {

// A kernel handle closed with CloseHandle (processes, threads, mutexes, events, sections, files,
// snapshots). Both null and INVALID_HANDLE_VALUE count as "none".
struct KernelHandleTraits {
  using Type = HANDLE;
  static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

// A FindFirstFileA search, closed with FindClose; a failed search is INVALID_HANDLE_VALUE.
struct FindHandleTraits {
  using Type = HANDLE;
  static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
using UniqueFindHandle = UniqueOwner<FindHandleTraits>;

// An open registry key, closed with RegCloseKey.
struct RegistryKeyTraits {
  using Type = HKEY;
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
using UniqueKey = UniqueOwner<RegistryKeyTraits>;

// The service control manager or a service, closed with CloseServiceHandle.
struct ServiceHandleTraits {
  using Type = SC_HANDLE;
  static bool Valid(SC_HANDLE h) { return h != nullptr; }
  static void Close(SC_HANDLE h) { CloseServiceHandle(h); }
};
using UniqueServiceHandle = UniqueOwner<ServiceHandleTraits>;

// A window's registration for device events, given back with UnregisterDeviceNotification.
struct DeviceNotificationTraits {
  using Type = HDEVNOTIFY;
  static bool Valid(HDEVNOTIFY h) { return h != nullptr; }
  static void Close(HDEVNOTIFY h) { UnregisterDeviceNotification(h); }
};
using UniqueDeviceNotification = UniqueOwner<DeviceNotificationTraits>;

// A menu from LoadMenuA or CreatePopupMenu that no window owns, destroyed with DestroyMenu.
struct MenuTraits {
  using Type = HMENU;
  static bool Valid(HMENU h) { return h != nullptr; }
  static void Close(HMENU h) { DestroyMenu(h); }
};
using UniqueMenu = UniqueOwner<MenuTraits>;

// A library from LoadLibraryA, freed with FreeLibrary.
struct ModuleTraits {
  using Type = HMODULE;
  static bool Valid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
using UniqueModule = UniqueOwner<ModuleTraits>;

// A view of a section from MapViewOfFile, unmapped with UnmapViewOfFile.
struct MappedViewTraits {
  using Type = void*;
  static bool Valid(void* p) { return p != nullptr; }
  static void Close(void* p) { UnmapViewOfFile(p); }
};
using MappedView = UniqueOwner<MappedViewTraits>;

}  // namespace zt::app
