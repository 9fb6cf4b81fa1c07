#include "overlay/shell/settings/caption_unescape.h"

#include <cstring>

namespace zt::shell {

namespace {

// The byte an escape stands for, or 0 when the backslash is simply dropped.
char EscapedByte(unsigned char b) {
  switch (b) {
    case '"':
      return '"';
    case '\\':
      return '\\';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return 0;
  }
}

}  // namespace

std::size_t UnescapeCaption(const char* text, std::size_t length, char* out, std::size_t outSize) {
  if (!out || outSize == 0) return 0;
  if (!text) length = 0;
  const std::size_t limit = outSize - 1;  // room for the terminating NUL
  std::size_t w = 0;
  std::size_t i = 0;
  while (i < length) {
    // Each step reads one unit (a character or an escape) into a small local copy first, so
    // that writing over the input when out == text cannot change what is still to be read.
    char unit[3];
    std::size_t n = 0;
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b == '\\') {
      if (i + 1 >= length) break;  // a lone backslash at the end stands for nothing
      const unsigned char e = static_cast<unsigned char>(text[i + 1]);
      i += 2;
      if (const char c = EscapedByte(e)) {
        unit[n++] = c;
      } else if (e >= 0x81 && e <= 0xFC) {
        // A double-byte character behind a backslash keeps the backslash and stays whole: its
        // second byte is taken as it stands, as after any other lead byte, so that a second
        // byte 0x5C (as in many Shift-JIS characters) neither starts an escape nor gets lost.
        unit[n++] = '\\';
        unit[n++] = static_cast<char>(e);
        if (i < length) unit[n++] = text[i++];
      } else {
        unit[n++] = static_cast<char>(e);
        // 0xFD and 0xFE lose the backslash but still begin a character, as they do anywhere else.
        if (IsCaptionLeadByte(e) && i < length) unit[n++] = text[i++];
      }
    } else {
      unit[n++] = static_cast<char>(b);
      ++i;
      // A lead byte at the very end (a text cut inside a character) stays on its own.
      if (IsCaptionLeadByte(b) && i < length) unit[n++] = text[i++];
    }
    if (w + n > limit) break;
    std::memcpy(out + w, unit, n);
    w += n;
  }
  out[w] = '\0';
  return w;
}

}  // namespace zt::shell
