#include "chksdwifi/response_reader.h"

#include <cstring>

namespace zt::sdwifi {

FetchResult ReadResponse(ResponseBody& body, const ChunkWriter* write, std::string* text,
                         std::int64_t declaredLength) {
  if (text) text->clear();
  char chunk[kChunkSize];
  std::string tail;
  std::int64_t total = 0;
  for (;;) {
    std::size_t got = 0;
    if (!body.Read(chunk, sizeof chunk, got)) return FETCH_READ_FAILED;
    if (got == 0) break;
    if (got > sizeof chunk) return FETCH_READ_FAILED;
    total += static_cast<std::int64_t>(got);
    if (write && !(*write)(chunk, got)) return FETCH_WRITE_FAILED;
    if (text) text->append(chunk, strnlen(chunk, got));
    tail.append(chunk, got);
    if (tail.size() > kChunkSize) tail.erase(0, tail.size() - kChunkSize);
  }
  if (declaredLength >= 0 && total < declaredLength) return FETCH_READ_FAILED;
  if (std::string(tail.c_str()).find(kNotFoundText) != std::string::npos) return FETCH_NOT_FOUND;
  return FETCH_OK;
}

}  // namespace zt::sdwifi
