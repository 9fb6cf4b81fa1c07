// The few file operations that the working copy and the outputs need. Paths are ANSI strings
// with backslashes, at most kMaxPath - 1 bytes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zt {

inline constexpr std::size_t kMaxPath = 260;

enum class CopyResult {
  kCopied,
  kTargetExists,  // nothing was touched
  kFailed,        // the target does not exist afterwards
};

struct FolderEntry {
  std::string name;
  bool folder = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;
  // Copies from to a new file; never replaces an existing one.
  virtual CopyResult CopyToNew(const std::string& from, const std::string& to) = 0;
  // Copies from to to, replacing a file of that name.
  virtual bool CopyReplacing(const std::string& from, const std::string& to) = 0;
  // Renames from to to, replacing a file of that name.
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // The entries of a folder, without "." and ".."; false when it cannot be listed.
  virtual bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) = 0;
  // Removes an empty folder.
  virtual bool RemoveFolder(const std::string& path) = 0;
  // Whether a folder lies on another machine (a share, a network drive), where it may be out of
  // reach for a while and come back.
  virtual bool MayBeOffline(const std::string& folder) = 0;
  // The per-user local application data folder, without a trailing backslash.
  virtual bool LocalAppDataFolder(std::string& folder) = 0;
};

// The system's file system. Natively, backslashes in paths are taken as "/". The local
// application data folder is localAppData when given; otherwise it comes from the shell on
// Windows, and natively there is none.
std::unique_ptr<FileSystem> MakeSystemFileSystem(const std::string& localAppData = std::string());

}  // namespace zt
