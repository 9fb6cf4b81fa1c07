#include "cvimgfileio/file_io.h"

#include <algorithm>

#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zt::img {

#ifdef _WIN32

namespace {
struct Handle {
  HANDLE h;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const char* path) {
  Handle f{CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
  if (f.h == INVALID_HANDLE_VALUE) Fail(IMGFILE_ERR_OPEN);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.h, &size)) Fail(IMGFILE_ERR_OPEN);
  if (static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes) Fail(IMGFILE_ERR_TOO_LARGE);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 24));
    if (!ReadFile(f.h, data.data() + done, want, &got, nullptr)) Fail(IMGFILE_ERR_OPEN);
    if (got == 0) break;
    done += got;
  }
  data.resize(done);
  return data;
}

int WriteNewFile(const char* path, const ByteSpan* pieces, std::size_t count) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    return (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) ? IMGFILE_ERR_TARGET_EXISTS
                                                                 : IMGFILE_ERR_WRITE;
  }
  bool ok = true;
  for (std::size_t i = 0; ok && i < count; ++i) {
    const std::uint8_t* data = pieces[i].data;
    const std::size_t size = pieces[i].size;
    std::size_t done = 0;
    while (ok && done < size) {
      DWORD put = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 24));
      ok = WriteFile(h, data + done, want, &put, nullptr) && put == want;
      done += put;
    }
  }
  ok = CloseHandle(h) && ok;
  if (!ok) {
    DeleteFileA(path);
    return IMGFILE_ERR_WRITE;
  }
  return IMGFILE_OK;
}

#else

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

#endif

}  // namespace zt::img
