#include "chksdwifi/win32/host_win32.h"

#include <cstring>

#include "common/win32/directory_walk.h"
#include "common/win32/shell_folder.h"

namespace zt::sdwifi {

namespace {

HWND ToHwnd(ClientWindow w) { return reinterpret_cast<HWND>(sdchannel::FieldToWindow(w)); }

// True when every byte of [address, address + size) lies in committed memory that may be read.
bool ReadableRange(BlockAddress address, std::size_t size) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const BlockAddress end = address + size;
  if (end < address) return false;
  while (address < end) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) == 0) return false;
    if (region.State != MEM_COMMIT || (region.Protect & PAGE_GUARD) || !(region.Protect & kReadable))
      return false;
    address = reinterpret_cast<BlockAddress>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

}  // namespace

bool WinDownloadFiles::Copy(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool WinDownloadFiles::Delete(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

std::vector<std::string> WinDownloadFiles::List(const std::string& folder) {
  std::vector<std::string> names;
  app::ForEachEntry(folder + "*.*",
                    [&](const WIN32_FIND_DATAA& data) { names.emplace_back(data.cFileName); });
  return names;
}

bool WinDownloadFiles::RemoveFolder(const std::string& folder) {
  std::string path = folder;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool WinClientMessenger::WindowExists(ClientWindow window) { return IsWindow(ToHwnd(window)) != FALSE; }

bool WinClientMessenger::Post(ClientWindow window, std::uint32_t code, BlockAddress lParam) {
  return PostMessageA(ToHwnd(window), m_message, static_cast<WPARAM>(code), static_cast<LPARAM>(lParam)) !=
         FALSE;
}

BlockAddress WinBlockMemory::Allocate(const sdchannel::PathBlock& block) {
  void* p = VirtualAlloc(nullptr, sdchannel::kPathBlockSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!p) return 0;
  std::memcpy(p, block.path, sdchannel::kPathBlockSize);
  return reinterpret_cast<BlockAddress>(p);
}

bool WinBlockMemory::ReadRegistration(BlockAddress address, sdchannel::RegistrationBlock& out) {
  // The range is looked up first (Wine's copy below reads freed or reserved memory as zeros);
  // the system's copy then reports memory freed meanwhile as a failure instead of a fault.
  if (!ReadableRange(address, sizeof out)) return false;
  SIZE_T got = 0;
  return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(address), &out, sizeof out,
                           &got) &&
         got == sizeof out;
}

void WinBlockMemory::Free(BlockAddress address) {
  void* p = reinterpret_cast<void*>(address);
  VirtualFree(p, sdchannel::kPathBlockSize, MEM_DECOMMIT);
  VirtualFree(p, 0, MEM_RELEASE);
}

namespace {

bool IsDirectory(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool EnsureDirectory(const std::string& path) {
  if (!IsDirectory(path)) CreateDirectoryA(path.c_str(), nullptr);
  return IsDirectory(path);
}

}  // namespace

// Local application data + "\Corvane\Zentab SD WiFi\".
std::string WinDownloadFiles::SetUpDownloadFolder() {
  std::string base;
  if (!app::ShellFolders().Get(app::kCsidlLocalAppData, base)) return {};
  std::string folder = base + "\\Corvane";
  if (!EnsureDirectory(folder)) return {};
  folder += "\\Zentab SD WiFi";
  if (!EnsureDirectory(folder)) return {};
  return folder + "\\";
}

}  // namespace zt::sdwifi
