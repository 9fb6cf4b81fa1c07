#include "chksdwifi/win32/profile_win32.h"

#include <windows.h>

namespace zt::sdwifi {

std::int32_t WinProfileReader::ReadInt(const std::string& file, const char* section, const char* key,
                                       std::int32_t def) const {
  return static_cast<std::int32_t>(GetPrivateProfileIntA(section, key, def, file.c_str()));
}

std::string WinProfileReader::ReadString(const std::string& file, const char* section, const char* key,
                                         const char* def) const {
  char buffer[kValueBufferSize] = {};
  const DWORD n = GetPrivateProfileStringA(section, key, def, buffer, sizeof buffer, file.c_str());
  return std::string(buffer, n < sizeof buffer ? n : sizeof buffer - 1);
}

std::string ExecutablePath() {
  char path[256] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  return std::string(path, n);
}

}  // namespace zt::sdwifi
