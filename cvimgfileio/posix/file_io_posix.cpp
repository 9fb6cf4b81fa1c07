#include "cvimgfileio/file_io.h"

#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zt::img {

namespace {
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) close(fd);
  }
};
}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const char* path) {
  Fd f{open(path, O_RDONLY | O_CLOEXEC)};
  if (f.fd < 0) Fail(IMGFILE_ERR_OPEN);
  struct stat st;
  if (fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) Fail(IMGFILE_ERR_OPEN);
  if (static_cast<std::uint64_t>(st.st_size) > kMaxFileBytes) Fail(IMGFILE_ERR_TOO_LARGE);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t got = read(f.fd, data.data() + done, data.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(IMGFILE_ERR_OPEN);
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  data.resize(done);
  return data;
}

int WriteNewFile(const char* path, const ByteSpan* pieces, std::size_t count) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? IMGFILE_ERR_TARGET_EXISTS : IMGFILE_ERR_WRITE;
  bool ok = true;
  for (std::size_t i = 0; ok && i < count; ++i) {
    const std::uint8_t* data = pieces[i].data;
    const std::size_t size = pieces[i].size;
    std::size_t done = 0;
    while (ok && done < size) {
      const ssize_t put = write(fd, data + done, size - done);
      if (put < 0 && errno == EINTR) continue;
      ok = put > 0;
      if (ok) done += static_cast<std::size_t>(put);
    }
  }
  ok = close(fd) == 0 && ok;
  if (!ok) {
    unlink(path);
    return IMGFILE_ERR_WRITE;
  }
  return IMGFILE_OK;
}

}  // namespace zt::img
