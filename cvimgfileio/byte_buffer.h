// An encoded file in memory: a vector, a malloc block that the JPEG encoder filled, or (a PDF)
// a head in the vector, the JPEG encoder's block and a tail, written one after the other.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "cvimgfileio/file_io.h"

namespace zt::img {

struct ByteBuffer {
  std::vector<std::uint8_t> bytes;
  unsigned char* mallocData = nullptr;
  unsigned long mallocSize = 0;
  std::vector<std::uint8_t> tail;

  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer() { std::free(mallocData); }

  // A file of one piece: the block, or else the vector.
  const std::uint8_t* Data() const { return mallocData ? mallocData : bytes.data(); }
  std::size_t Size() const { return mallocData ? mallocSize : bytes.size(); }
  // The file's pieces in order.
  std::array<ByteSpan, 3> Pieces() const {
    return {ByteSpan{bytes.data(), bytes.size()}, ByteSpan{mallocData, mallocData ? mallocSize : 0},
            ByteSpan{tail.data(), tail.size()}};
  }
};

}  // namespace zt::img
