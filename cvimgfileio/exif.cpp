#include "cvimgfileio/exif.h"

#include <cstring>

#include "cvimgfileio/decoded.h"

namespace zt::img {

namespace {

struct Reader {
  const std::uint8_t* p;
  std::size_t n;
  bool little;
  bool ok = true;

  std::uint32_t U16(std::size_t at) {
    if (at + 2 > n) return ok = false, 0;
    return little ? p[at] | p[at + 1] << 8 : p[at] << 8 | p[at + 1];
  }
  std::uint32_t U32(std::size_t at) {
    if (at + 4 > n) return ok = false, 0;
    return little ? std::uint32_t{p[at]} | p[at + 1] << 8 | p[at + 2] << 16 | std::uint32_t{p[at + 3]} << 24
                  : std::uint32_t{p[at]} << 24 | p[at + 1] << 16 | p[at + 2] << 8 | p[at + 3];
  }
};

}  // namespace

bool ExifResolution(const std::uint8_t* data, std::size_t size, unsigned& dpiX, unsigned& dpiY) {
  if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return false;
  Reader r{data + 6, size - 6, data[6] == 'I'};
  if (!(std::memcmp(r.p, "II*\0", 4) == 0 || std::memcmp(r.p, "MM\0*", 4) == 0)) return false;
  const std::size_t ifd = r.U32(4);
  const std::uint32_t count = r.U16(ifd);
  double x = 0, y = 0;
  int unit = 2;  // inches unless the block says otherwise
  for (std::uint32_t i = 0; i < count && r.ok; ++i) {
    const std::size_t e = ifd + 2 + 12 * i;
    const std::uint32_t tag = r.U16(e);
    if (tag == 0x011A || tag == 0x011B) {
      const std::size_t at = r.U32(e + 8);
      const std::uint32_t num = r.U32(at), den = r.U32(at + 4);
      const double v = den ? static_cast<double>(num) / den : 0;
      (tag == 0x011A ? x : y) = v;
    } else if (tag == 0x0128) {
      unit = static_cast<int>(r.U16(e + 8));
    }
  }
  if (!r.ok || (unit != 2 && unit != 3)) return false;
  dpiX = DpiFrom(x, unit == 2 ? 1 : 2);
  dpiY = DpiFrom(y, unit == 2 ? 1 : 2);
  return dpiX > 0 && dpiY > 0;
}

}  // namespace zt::img
