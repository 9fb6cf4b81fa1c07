// A scan file of any bytes through the image library's load call, as ZTLumbrel loads what a
// board or a card delivers. The bytes go to a file of this format's extension; the load must
// answer with a result code and, on success, a DIB whose header and size agree.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/dib.h"
#include "cvimgfileio/cvimgfileio.h"
#include "cvimgfileio/dib_output.h"

namespace {

std::string ScratchPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/zt_fuzz_" + std::to_string(getpid()) + ZT_FUZZ_EXTENSION;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = ScratchPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  void* dib = nullptr;
  unsigned short resX = 0, resY = 0;
  int offsetX = 0, offsetY = 0;
  char info[IMGFILE_INFO_SIZE] = {};
  const int result = IMGFILE_LoadDibFromFile(path.c_str(), 1, &dib, &resX, &resY, &offsetX, &offsetY, info);
  if (!std::memchr(info, 0, sizeof info)) std::abort();  // the description ends inside its buffer
  if (result < 0) {
    if (dib) std::abort();  // a failure hands nothing out
    return 0;
  }
  if (!dib) std::abort();
  zt::BitmapInfoHeader header;
  std::memcpy(&header, dib, sizeof header);
  if (header.biSize != 40 || header.biWidth <= 0 || header.biHeight <= 0 ||
      (header.biBitCount != 24 && header.biBitCount != 1))
    std::abort();
  // Every pixel byte the header promises is there to read.
  const std::uint64_t bytes =
      zt::DibRowBytes(header.biWidth, header.biBitCount) * std::uint64_t(header.biHeight);
  const auto* pixels = static_cast<const std::uint8_t*>(dib) + 40 + 4 * header.biClrUsed;
  volatile std::uint8_t sum = 0;
  for (std::uint64_t i = 0; i < bytes; i += 4096) sum = sum + pixels[i];
  sum = sum + pixels[bytes - 1];
  zt::img::FreeDibBlock(dib);
  return 0;
}
