// Texts of the system's ANSI code page (file and scan names) where a format wants UTF-8.
#pragma once

#include <string>

namespace zt {

// The text in UTF-8; on Windows from the ANSI code page, natively as it is (the native tests'
// names are UTF-8 or ASCII already). Bytes the code page does not map become U+FFFD.
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace zt
