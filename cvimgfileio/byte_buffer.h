// An encoded file in memory: either a vector or a block that libjpeg allocated with malloc.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace zt::img {

struct ByteBuffer {
  std::vector<std::uint8_t> bytes;
  unsigned char* mallocData = nullptr;
  unsigned long mallocSize = 0;

  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer() { std::free(mallocData); }

  const std::uint8_t* Data() const { return mallocData ? mallocData : bytes.data(); }
  std::size_t Size() const { return mallocData ? mallocSize : bytes.size(); }
};

}  // namespace zt::img
