#include "cvimgfileio/file_io.h"

#include <algorithm>

#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"

#include <windows.h>

namespace zt::img {

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

}  // namespace zt::img
