// The two exported calls: argument checks, the format switch, and the edge where every
// failure becomes a negative result.
#include <cstdio>
#include <cstring>
#include <new>

#include "cvimgfileio/byte_buffer.h"
#include "cvimgfileio/cvimgfileio.h"
#include "cvimgfileio/decoded.h"
#include "cvimgfileio/dib_input.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/file_io.h"

namespace zt::img {

namespace {

constexpr unsigned kDefaultDpi = 96;
// The largest page a PDF reader is obliged to show is 200 inches a side.
constexpr int kMaxPagePoints = 14400;

bool StartsWith(const std::vector<std::uint8_t>& d, const char* magic, std::size_t n) {
  return d.size() >= n && std::memcmp(d.data(), magic, n) == 0;
}

bool LooksLikePdf(const std::vector<std::uint8_t>& d) {
  // Some writers put junk before the header; readers look at the first kilobyte.
  const std::size_t n = std::min<std::size_t>(d.size(), 1024);
  for (std::size_t i = 0; i + 5 <= n; ++i)
    if (std::memcmp(d.data() + i, "%PDF-", 5) == 0) return true;
  return false;
}

void Load(const char* path, Decoded& out) {
  const std::vector<std::uint8_t> data = ReadWholeFile(path);
  if (StartsWith(data, "\xFF\xD8\xFF", 3))
    DecodeJpeg(data.data(), data.size(), out);
  else if (StartsWith(data, "II*\0", 4) || StartsWith(data, "MM\0*", 4) || StartsWith(data, "II+\0", 4) ||
           StartsWith(data, "MM\0+", 4))
    DecodeTiff(data.data(), data.size(), out);
  else if (StartsWith(data, "BM", 2))
    DecodeBmp(data.data(), data.size(), out);
  else if (LooksLikePdf(data))
    DecodePdf(data.data(), data.size(), out);
  else if (data.empty())
    Fail(IMGFILE_ERR_CORRUPT);
  else
    Fail(IMGFILE_ERR_UNSUPPORTED);
}

void Write(const void* dib, unsigned resX, unsigned resY, int pageWidth, int pageHeight, int offsetX,
           int offsetY, int format, const char* path) {
  if (!path || !*path) Fail(IMGFILE_ERR_ARGUMENT);
  if (format != IMGFILE_FORMAT_JPEG && format != IMGFILE_FORMAT_TIFF && format != IMGFILE_FORMAT_PDF)
    Fail(IMGFILE_ERR_ARGUMENT);
  // A resolution of 0 would make the PDF placement divide by zero; it stands for "unknown".
  if (resX == 0) resX = kDefaultDpi;
  if (resY == 0) resY = kDefaultDpi;
  const DibInput in(dib);
  ByteBuffer file;
  switch (format) {
    case IMGFILE_FORMAT_JPEG:
      EncodeJpeg(in, resX, resY, 90, file);
      break;
    case IMGFILE_FORMAT_TIFF:
      EncodeTiff(in, resX, resY, file);
      break;
    default:
      if (pageWidth <= 0 || pageHeight <= 0 || pageWidth > kMaxPagePoints || pageHeight > kMaxPagePoints ||
          offsetX < -kMaxPagePoints || offsetX > kMaxPagePoints || offsetY < -kMaxPagePoints ||
          offsetY > kMaxPagePoints)
        Fail(IMGFILE_ERR_ARGUMENT);
      EncodePdf(in, resX, resY, pageWidth, pageHeight, offsetX, offsetY, file);
  }
  const auto pieces = file.Pieces();
  const int rc = WriteNewFile(path, pieces.data(), pieces.size());
  if (rc != IMGFILE_OK) Fail(rc);
}

// Runs one call of the library: no exception may cross the C boundary. Failures of our own carry
// their code; anything unexpected counts as otherFailure.
template <typename Body>
int Guarded(int otherFailure, Body body) {
  try {
    return body();
  } catch (const ImgError& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    return IMGFILE_ERR_NO_MEMORY;
  } catch (...) {
    return otherFailure;
  }
}

}  // namespace

}  // namespace zt::img

extern "C" int IMGFILE_API IMGFILE_LoadDibFromFile(const char* path, int mode, void** dib,
                                                   unsigned short* resX, unsigned short* resY,
                                                   int* pageOffsetX, int* pageOffsetY, char* info) {
  using namespace zt::img;
  if (dib) *dib = nullptr;
  if (info) info[0] = '\0';
  if (!path || !dib || !resX || !resY || !pageOffsetX || !pageOffsetY || mode != 1)
    return IMGFILE_ERR_ARGUMENT;
  return Guarded(IMGFILE_ERR_CORRUPT, [&] {
    Decoded out;
    Load(path, out);
    *resX = static_cast<unsigned short>(out.resX ? out.resX : kDefaultDpi);
    *resY = static_cast<unsigned short>(out.resY ? out.resY : kDefaultDpi);
    *pageOffsetX = out.offsetX;
    *pageOffsetY = out.offsetY;
    out.dib.SetResolution(*resX, *resY);
    if (info) std::snprintf(info, IMGFILE_INFO_SIZE, "%s", out.description.c_str());
    *dib = out.dib.Release();
    return IMGFILE_OK;
  });
}

extern "C" int IMGFILE_API IMGFILE_WriteDib2File(const void* dib, unsigned short resX, unsigned short resY,
                                                 int pageWidth, int pageHeight, int offsetX, int offsetY,
                                                 int format, const char* path, int /*reserved*/) {
  using namespace zt::img;
  return Guarded(IMGFILE_ERR_WRITE, [&] {
    Write(dib, resX, resY, pageWidth, pageHeight, offsetX, offsetY, format, path);
    return IMGFILE_OK;
  });
}

#ifndef _WIN32
extern "C" void IMGFILE_FreeDib(void* dib) { zt::img::FreeDibBlock(dib); }
#endif
