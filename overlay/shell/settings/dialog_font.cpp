#include "overlay/shell/settings/dialog_font.h"

#include <cstring>

namespace zt::shell {

DialogFontSpec MakeDialogFont(const char* face, long charSize, long charSet) {
  DialogFontSpec font;
  font.height = static_cast<long>(static_cast<unsigned long>(charSize) & 0xFFu);
  font.charSet = static_cast<std::uint8_t>(static_cast<unsigned long>(charSet) & 0xFFu);
  if (!face) face = kDefaultFontFace;
  std::size_t n = std::strlen(face);
  if (n > kMaxFontFaceChars) n = kMaxFontFaceChars;
  std::memcpy(font.faceName, face, n);
  font.faceName[n] = '\0';
  return font;
}

}  // namespace zt::shell
