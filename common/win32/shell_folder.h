// Shell folders through SHGetFolderPathA from shfolder.dll, loaded at run time so that the
// programs start on every Windows whatever its shell version.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "common/win32/unique_handle.h"

namespace zt::app {

// A shell item id list (from SHBrowseForFolderA or a folder's ParseDisplayName), freed with the
// shell's allocator.
using UniqueItemIdList = UniqueOwner<ClosedBy<LPITEMIDLIST, &CoTaskMemFree>>;

inline constexpr int kCsidlLocalAppData = 0x1C;
inline constexpr int kCsidlMyPictures = 0x27;
// Added to a folder's number: the folder is made when it does not exist yet.
inline constexpr int kCsidlFlagCreate = 0x8000;

// Keeps shfolder.dll loaded while folders are looked up.
class ShellFolders {
 public:
  ShellFolders();
  ~ShellFolders();
  ShellFolders(const ShellFolders&) = delete;
  ShellFolders& operator=(const ShellFolders&) = delete;

  // False when shfolder.dll or its SHGetFolderPathA cannot be had.
  bool Available() const { return m_get != nullptr; }
  // The folder's current path (no trailing backslash); false when it is unknown or empty.
  bool Get(int csidl, std::string& path) const;

 private:
  using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  HMODULE m_module;
  GetFolderPathFn m_get = nullptr;
};

}  // namespace zt::app
