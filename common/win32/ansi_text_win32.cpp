#include <windows.h>

#include "common/ansi_text.h"

namespace zt {

std::string AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  const int n = static_cast<int>(ansi.size());
  const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, nullptr, 0);
  if (wide <= 0) return std::string();
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, &w[0], wide);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &utf8[0], bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace zt
