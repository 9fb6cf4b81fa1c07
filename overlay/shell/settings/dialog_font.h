// The dialog font a language file asks for ("Font", "CharSize", "CharSet" of "Language_Info"),
// as the fields of a LOGFONTA: the height counts in tenths of a point, since every dialog makes
// the font with CreatePointFontIndirect.
#pragma once

#include <cstdint>

namespace zt::shell {

inline constexpr char kDefaultFontFace[] = "Arial";
inline constexpr long kDefaultCharSize = 16;
inline constexpr long kDefaultCharSet = 1;  // DEFAULT_CHARSET
inline constexpr unsigned kMaxFontFaceChars = 30;

struct DialogFontSpec {
  long height = kDefaultCharSize;  // tenths of a point
  long weight = 400;               // FW_NORMAL
  std::uint8_t charSet = kDefaultCharSet;
  std::uint8_t pitchAndFamily = 0x20;  // FF_SWISS | DEFAULT_PITCH
  char faceName[32] = "Arial";         // LF_FACESIZE
};

// Both numbers keep only their low byte (a CharSize of 300 gives 44); the face name keeps at
// most 30 characters; a null face gives the default.
DialogFontSpec MakeDialogFont(const char* face, long charSize, long charSet);

}  // namespace zt::shell
