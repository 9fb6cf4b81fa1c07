// Escapes in sdwifi.ini values, so that a marker can hold a quote, a backslash or a control
// character that the profile reader would otherwise strip. Double-byte characters of the system
// code page are copied whole, so a trail byte 0x5C is never read as an escape.
#pragma once

#include <cstddef>

namespace zt::sdwifi {

// Decodes the NUL-terminated raw value into out (capacity bytes, at least 1), always
// NUL-terminated; output that does not fit is dropped. Returns the number of bytes written
// before the NUL.
std::size_t DecodeIniEscapes(const char* raw, char* out, std::size_t capacity);

}  // namespace zt::sdwifi
