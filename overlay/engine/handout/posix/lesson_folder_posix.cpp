// The save folder on Linux, where the lesson's portable code is tested.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/posix/native_path.h"
#include "overlay/engine/handout/lesson_folder.h"

namespace zt {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

class PosixLessonFolder final : public LessonFolder {
 public:
  bool List(const std::string& folder, std::vector<FolderFile>& files) override {
    const std::string native = NativePath(folder);
    DIR* dir = ::opendir(native.c_str());
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir)) {
      struct stat st {};
      const std::string path = native + "/" + entry->d_name;
      if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        files.push_back({entry->d_name, static_cast<std::int64_t>(st.st_mtime)});
    }
    ::closedir(dir);
    return true;
  }

  bool Exists(const std::string& path) override {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0;
  }

  bool Read(const std::string& path, std::string& bytes) override {
    std::FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
  }

  bool WriteNew(const std::string& path, const std::string& head, const std::string& tail) override {
    const std::string native = NativePath(path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, head) && WriteAll(fd, tail) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed) return true;
    ::unlink(native.c_str());
    return false;
  }

  bool Replace(const std::string& from, const std::string& to) override {
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
  }

  bool RenameToNew(const std::string& from, const std::string& to) override {
    // A hard link fails when the target exists, so the rename never replaces.
    const std::string f = NativePath(from), t = NativePath(to);
    if (::link(f.c_str(), t.c_str()) != 0) return false;
    ::unlink(f.c_str());
    return true;
  }

  bool Remove(const std::string& path) override { return ::unlink(NativePath(path).c_str()) == 0; }
};

}  // namespace

std::unique_ptr<LessonFolder> MakeSystemLessonFolder() { return std::make_unique<PosixLessonFolder>(); }

}  // namespace zt
