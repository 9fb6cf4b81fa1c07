#include "cvimgfileio/tiff_memory.h"

#include <cstring>
#include <mutex>

#include "cvimgfileio/size_caps.h"

namespace zt::img {

namespace {

tmsize_t Read(thandle_t h, void* buf, tmsize_t n) {
  TiffMemory* m = static_cast<TiffMemory*>(h);
  if (!m->in || n < 0 || m->pos >= m->size) return 0;
  const std::uint64_t take = std::min<std::uint64_t>(static_cast<std::uint64_t>(n), m->size - m->pos);
  std::memcpy(buf, m->in + m->pos, static_cast<std::size_t>(take));
  m->pos += take;
  return static_cast<tmsize_t>(take);
}

tmsize_t Write(thandle_t h, void* buf, tmsize_t n) {
  TiffMemory* m = static_cast<TiffMemory*>(h);
  if (!m->out || n < 0) return -1;
  const std::uint64_t end = m->pos + static_cast<std::uint64_t>(n);
  if (end > kMaxCodecAlloc) return -1;
  try {
    if (end > m->out->size()) m->out->resize(static_cast<std::size_t>(end));
  } catch (...) {
    return -1;
  }
  std::memcpy(m->out->data() + m->pos, buf, static_cast<std::size_t>(n));
  m->pos = end;
  if (end > m->size) m->size = end;
  return n;
}

toff_t Seek(thandle_t h, toff_t off, int whence) {
  TiffMemory* m = static_cast<TiffMemory*>(h);
  std::uint64_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->size : 0;
  const std::uint64_t target = base + off;
  if (target > kMaxFileBytes * 2) return static_cast<toff_t>(-1);
  m->pos = target;
  return target;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return static_cast<TiffMemory*>(h)->size; }

int Map(thandle_t h, void** base, toff_t* size) {
  TiffMemory* m = static_cast<TiffMemory*>(h);
  if (!m->in) return 0;
  *base = const_cast<std::uint8_t*>(m->in);
  *size = m->size;
  return 1;
}
void Unmap(thandle_t, void*, toff_t) {}

int Quiet(TIFF*, void* user, const char*, const char* fmt, va_list) {
  if (user && fmt && std::strstr(fmt, "IO error")) static_cast<TiffMemory*>(user)->damaged = true;
  return 1;
}

}  // namespace

TIFF* OpenTiffMemory(TiffMemory& mem, const char* mode) {
  // Codecs inside libtiff still report some things through the process-wide handlers.
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  if (!opts) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(kMaxCodecAlloc));
  TIFFOpenOptionsSetErrorHandlerExtR(opts, Quiet, &mem);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, Quiet, &mem);
  TIFF* tif = TIFFClientOpenExt("memory", mode, &mem, Read, Write, Seek, Close, Size, Map, Unmap, opts);
  TIFFOpenOptionsFree(opts);
  return tif;
}

}  // namespace zt::img
