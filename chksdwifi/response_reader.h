// Reading one HTTP response from the card: chunks of up to 1,024 bytes until a read returns
// nothing, into a local file and/or a text, and the card's not-found page recognised at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "chksdwifi/fetch_result.h"

namespace zt::sdwifi {

inline constexpr std::size_t kChunkSize = 1024;
inline constexpr char kNotFoundText[] = "404 Not Found";

// The body of an opened response. A read may return fewer bytes than asked for before the end
// (a slow card, TCP segments); only 0 bytes mean the end.
class ResponseBody {
 public:
  virtual ~ResponseBody() = default;
  // False on a read error.
  virtual bool Read(char* buffer, std::size_t size, std::size_t& got) = 0;
};

using ChunkWriter = std::function<bool(const char* data, std::size_t size)>;

// Reads the whole body in chunks of 1,024 bytes (the last one shorter), gathering short reads.
// write (when given) receives every byte, text (when given) is emptied and gets each chunk up to
// its first NUL byte. declaredLength < 0 when the response names none; a body that ends short of
// it was cut off and counts as a read failure. The not-found text is looked for in the last
// non-empty chunk, up to its first NUL.
// Returns FETCH_OK, FETCH_READ_FAILED, FETCH_WRITE_FAILED or FETCH_NOT_FOUND.
FetchResult ReadResponse(ResponseBody& body, const ChunkWriter* write, std::string* text,
                         std::int64_t declaredLength);

}  // namespace zt::sdwifi
