#include "cvimgfileio/tiff_data_bound.h"

namespace zt::img {

namespace {

// TIFF compression codes.
constexpr std::uint16_t kNone = 1;
constexpr std::uint16_t kCcittRle = 2;
constexpr std::uint16_t kCcittFax3 = 3;
constexpr std::uint16_t kCcittFax4 = 4;
constexpr std::uint16_t kOldJpeg = 6;
constexpr std::uint16_t kCcittRleWord = 32771;

// Uncompressed rows are stored whole; subsampled colour stores down to a third of our estimate.
constexpr std::uint64_t kNoneRatio = 4;
// LZW's best case (a 12-bit code for a string of 4096 bytes) is about 2730 to 1; Deflate's is
// 1032 to 1, PackBits' 64 to 1, JPEG's a few hundred to 1.
constexpr std::uint64_t kCodecRatio = 4096;
// A fax-coded row takes at least one bit, however wide it is.
constexpr std::uint64_t kFaxRowsPerByte = 8;

}  // namespace

bool TiffDataCanHold(std::uint16_t compression, std::uint64_t stored, std::uint64_t rows,
                     std::uint64_t rowBytes) {
  // Old-style JPEG may keep its data outside the strips: libtiff judges it alone.
  if (compression == kOldJpeg) return true;
  if (stored == 0) return false;
  // Compared as rows, so that no product of declared sizes can overflow (stored is at most the
  // file's size).
  const std::uint64_t perRow = rowBytes > 0 ? rowBytes : 1;
  switch (compression) {
    case kCcittRle:
    case kCcittFax3:
    case kCcittFax4:
    case kCcittRleWord:
      return rows <= stored * kFaxRowsPerByte;
    case kNone:
      return rows <= stored * kNoneRatio / perRow;
    default:
      return rows <= stored * kCodecRatio / perRow;
  }
}

}  // namespace zt::img
