// The file system on Windows: ANSI calls, and the local application data folder from
// SHGetFolderPathA, loaded at run time from shfolder.dll.
#include <windows.h>

#include "overlay/engine/file_system.h"

#include <string>
#include <utility>

namespace zt {

namespace {

constexpr int kCsidlLocalAppData = 0x1C;

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const char* name) : m_module(LoadLibraryA(name)) {}
  ~LoadedLibrary() {
    if (m_module) FreeLibrary(m_module);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE get() const { return m_module; }

 private:
  HMODULE m_module;
};

class Win32FileSystem final : public FileSystem {
 public:
  explicit Win32FileSystem(std::string localAppData) : m_localAppData(std::move(localAppData)) {}

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsDirectory(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool MakeDirectory(const std::string& path) override {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  }

  CopyResult CopyToNew(const std::string& from, const std::string& to) override {
    // Looked at first: a copy that fails on its source must not be taken for one that began
    // the target, whose cleanup would then remove someone else's file.
    if (Exists(to)) return CopyResult::kTargetExists;
    if (CopyFileA(from.c_str(), to.c_str(), TRUE)) return CopyResult::kCopied;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return CopyResult::kTargetExists;
    // A copy that broke off half-way may have left the new file behind.
    DeleteFileA(to.c_str());
    return CopyResult::kFailed;
  }

  bool CopyReplacing(const std::string& from, const std::string& to) override {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
  }

  bool MoveReplacing(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
  }

  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

  bool LocalAppDataFolder(std::string& folder) override {
    if (!m_localAppData.empty()) {
      folder = m_localAppData;
      return true;
    }
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    LoadedLibrary shfolder("shfolder.dll");
    if (!shfolder.get()) return false;
    auto getFolderPath = reinterpret_cast<GetFolderPath>(
        reinterpret_cast<void*>(GetProcAddress(shfolder.get(), "SHGetFolderPathA")));
    if (!getFolderPath) return false;
    char buffer[MAX_PATH] = {};
    if (FAILED(getFolderPath(nullptr, kCsidlLocalAppData, nullptr, 0, buffer))) return false;
    folder = buffer;
    return !folder.empty();
  }

 private:
  std::string m_localAppData;
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem(const std::string& localAppData) {
  return std::make_unique<Win32FileSystem>(localAppData);
}

}  // namespace zt
