// Caps that keep a hostile file from making the library allocate without bound.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt::img {

// Largest image, in pixels, that is decoded or written (a 24-bit DIB of this size is 600 MB).
inline constexpr std::uint64_t kMaxPixels = 200'000'000;
// Largest side in pixels: DIB sizes are signed 32-bit, PDF and JPEG sizes 16-bit or less.
inline constexpr std::uint32_t kMaxSide = 65500;
// Largest file read into memory.
inline constexpr std::uint64_t kMaxFileBytes = 512ull << 20;
// Largest single allocation libtiff may make, and the decoder memory for JPEG.
inline constexpr std::uint64_t kMaxCodecAlloc = 640ull << 20;
// A progressive JPEG with more scans than this is treated as hostile.
inline constexpr int kMaxJpegScans = 1000;

// Throws ImgError(IMGFILE_ERR_TOO_LARGE) unless width x height is within the caps,
// and IMGFILE_ERR_CORRUPT for a zero side.
void CheckImageSize(std::uint64_t width, std::uint64_t height);

}  // namespace zt::img
