// The registry seen from a Wine test: values and keys as the programs and the installer leave them.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/handles.h"

namespace zt::winetest {

// A string value (a list's first string); false when it cannot be read.
inline bool ReadString(HKEY root, const std::string& key, const char* value, std::string& out) {
  char data[1024] = {};
  DWORD size = sizeof data - 2;
  if (RegGetValueA(root, key.c_str(), value,
                   RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_RT_REG_MULTI_SZ | RRF_NOEXPAND, nullptr, data,
                   &size) != ERROR_SUCCESS) {
    return false;
  }
  out = data;
  return true;
}

// The same, or "<none>" when it cannot be read.
inline std::string StringOr(HKEY root, const std::string& key, const char* value) {
  std::string s;
  return ReadString(root, key, value, s) ? s : "<none>";
}

inline DWORD ReadDword(HKEY root, const std::string& key, const char* value) {
  DWORD data = 0xFFFFFFFF;
  DWORD size = sizeof data;
  RegGetValueA(root, key.c_str(), value, RRF_RT_REG_DWORD, nullptr, &data, &size);
  return data;
}

inline bool KeyExists(HKEY root, const std::string& key) {
  app::UniqueKey h;
  return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, h.Receive()) == ERROR_SUCCESS;
}

inline bool ValueExists(HKEY root, const std::string& key, const char* value) {
  return RegGetValueA(root, key.c_str(), value, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace zt::winetest
