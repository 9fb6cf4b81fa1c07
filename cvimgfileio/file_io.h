// Whole-file reads and exclusive, all-or-nothing writes. Paths are ANSI byte strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zt::img {

// Reads the whole file. Throws ImgError: IMGFILE_ERR_OPEN when it is missing, a folder or
// unreadable, IMGFILE_ERR_TOO_LARGE beyond kMaxFileBytes.
std::vector<std::uint8_t> ReadWholeFile(const char* path);

struct ByteSpan {
  const std::uint8_t* data;
  std::size_t size;
};

// Creates path exclusively and writes the pieces one after the other. An existing file is never
// touched (IMGFILE_ERR_TARGET_EXISTS); a failed write removes what it created (IMGFILE_ERR_WRITE).
// Returns IMGFILE_OK or the negative code.
int WriteNewFile(const char* path, const ByteSpan* pieces, std::size_t count);

}  // namespace zt::img
