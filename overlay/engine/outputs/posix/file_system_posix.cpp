// The file system on Linux, where the engine's portable code is tested: Windows paths with
// backslashes map onto "/" paths.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/mbcs_path.h"
#include "common/posix/native_path.h"
#include "overlay/engine/outputs/file_system.h"

namespace zt {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return m_fd; }
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

bool CopyBytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
  }
}

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(std::string localAppData) : m_localAppData(std::move(localAppData)) {}

  bool Exists(const std::string& path) override {
    struct stat st;
    return ::lstat(NativePath(path).c_str(), &st) == 0;
  }

  bool IsDirectory(const std::string& path) override {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool MakeDirectory(const std::string& path) override {
    return ::mkdir(NativePath(path).c_str(), 0777) == 0;
  }

  CopyResult CopyToNew(const std::string& from, const std::string& to) override {
    FileDescriptor in(::open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC));
    // Exclusive creation: the check for an existing target and the creation are one step.
    FileDescriptor out(::open(NativePath(to).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0) return errno == EEXIST ? CopyResult::kTargetExists : CopyResult::kFailed;
    if (in.get() < 0 || !CopyBytes(in.get(), out.get()) || !out.Close()) {
      ::unlink(NativePath(to).c_str());
      return CopyResult::kFailed;
    }
    return CopyResult::kCopied;
  }

  bool CopyReplacing(const std::string& from, const std::string& to) override {
    FileDescriptor in(::open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return false;
    FileDescriptor out(::open(NativePath(to).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() < 0) return false;
    if (!CopyBytes(in.get(), out.get()) || !out.Close()) {
      ::unlink(NativePath(to).c_str());
      return false;
    }
    return true;
  }

  bool MoveReplacing(const std::string& from, const std::string& to) override {
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
  }

  bool RemoveFile(const std::string& path) override { return ::unlink(NativePath(path).c_str()) == 0; }

  bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) override {
    entries.clear();
    DIR* dir = ::opendir(NativePath(path).c_str());
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      entries.push_back({name, IsDirectory(path + "\\" + name)});
    }
    ::closedir(dir);
    return true;
  }

  bool RemoveFolder(const std::string& path) override { return ::rmdir(NativePath(path).c_str()) == 0; }

  // Only a share's name says so here: there are no network drives.
  bool MayBeOffline(const std::string& folder) override { return IsSharePath(folder); }

  bool LocalAppDataFolder(std::string& folder) override {
    if (m_localAppData.empty()) return false;
    folder = m_localAppData;
    return true;
  }

 private:
  std::string m_localAppData;
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem(const std::string& localAppData) {
  return std::make_unique<PosixFileSystem>(localAppData);
}

}  // namespace zt
