// The file system on Windows: ANSI calls, and the local application data folder from
// SHGetFolderPathA, loaded at run time from shfolder.dll.
#include <windows.h>

#include "overlay/engine/outputs/file_system.h"

#include "common/mbcs_path.h"
#include "common/win32/directory_walk.h"
#include "common/win32/shell_folder.h"

#include <string>
#include <utility>

namespace zt {

namespace {

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

  bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) override {
    entries.clear();
    if (!IsDirectory(path)) return false;
    app::ForEachEntry(path + "\\*", [&](const WIN32_FIND_DATAA& data) {
      const std::string name = data.cFileName;
      if (name != "." && name != "..")
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    });
    return true;
  }

  bool RemoveFolder(const std::string& path) override { return RemoveDirectoryA(path.c_str()) != FALSE; }

  // A share by name, or a drive letter that is a network drive (a mapped drive whose server is
  // away has no root the system can reach, so it counts too).
  bool MayBeOffline(const std::string& folder) override {
    if (IsSharePath(folder)) return true;
    if (folder.size() < 2 || folder[1] != ':') return false;
    const char root[4] = {folder[0], ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    return type == DRIVE_REMOTE || type == DRIVE_NO_ROOT_DIR;
  }

  bool LocalAppDataFolder(std::string& folder) override {
    if (!m_localAppData.empty()) {
      folder = m_localAppData;
      return true;
    }
    return app::ShellFolders().Get(app::kCsidlLocalAppData, folder);
  }

 private:
  std::string m_localAppData;
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem(const std::string& localAppData) {
  return std::make_unique<Win32FileSystem>(localAppData);
}

}  // namespace zt
