// Undoing the escapes of caption texts: \" \\ \n \r \t, and a backslash before any other
// plain character is dropped. A byte 0x81-0xFE starts a double-byte character whose second
// byte is taken as it stands, so a trail byte 0x5C is never read as a backslash. A backslash in
// front of a byte 0x81-0xFC is kept (paths such as "Help\<double-byte name>" survive).
#pragma once

#include <cstddef>

namespace zt::shell {

// Unescapes text[0, length) into out, which holds outSize bytes. The result is always
// NUL-terminated (when outSize > 0) and never longer than outSize - 1 bytes; a text that does
// not fit is cut before a whole character. out may be text itself: the result never runs ahead
// of the input. Returns the length of the result.
std::size_t UnescapeCaption(const char* text, std::size_t length, char* out, std::size_t outSize);

// True for the bytes the caption escapes treat as the first of two.
inline bool IsCaptionLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

}  // namespace zt::shell
