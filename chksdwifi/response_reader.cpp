#include "chksdwifi/response_reader.h"

#include <cstring>

namespace zt::sdwifi {

FetchResult ReadResponse(ResponseBody& body, const ChunkWriter* write, std::string* text,
                         std::int64_t declaredLength) {
  if (text) text->clear();
  // Short reads are gathered into whole 1,024-byte chunks, so the text and the not-found test see
  // the same chunks however the platform cut the response.
  char chunk[kChunkSize];
  std::size_t fill = 0;
  std::string lastChunk;  // the last non-empty chunk, up to its first NUL
  std::int64_t total = 0;
  const auto finishChunk = [&] {
    const std::size_t n = strnlen(chunk, fill);
    if (text) text->append(chunk, n);
    lastChunk.assign(chunk, n);
    fill = 0;
  };
  for (;;) {
    std::size_t got = 0;
    if (!body.Read(chunk + fill, kChunkSize - fill, got)) return FETCH_READ_FAILED;
    if (got == 0) break;
    if (got > kChunkSize - fill) return FETCH_READ_FAILED;
    if (write && !(*write)(chunk + fill, got)) return FETCH_WRITE_FAILED;
    total += static_cast<std::int64_t>(got);
    fill += got;
    if (fill == kChunkSize) finishChunk();
  }
  if (fill > 0) finishChunk();
  if (declaredLength >= 0 && total < declaredLength) return FETCH_READ_FAILED;
  if (lastChunk.find(kNotFoundText) != std::string::npos) return FETCH_NOT_FOUND;
  return FETCH_OK;
}

}  // namespace zt::sdwifi
