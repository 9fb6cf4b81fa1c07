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

// Writes a value of any type, creating its key; false when either fails.
inline bool WriteValue(HKEY root, const std::string& key, const char* value, DWORD type, const void* data,
                       DWORD size) {
  app::UniqueKey h;
  return RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, h.Receive(), nullptr) ==
             ERROR_SUCCESS &&
         RegSetValueExA(h.Get(), value, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

inline bool WriteDword(HKEY root, const std::string& key, const char* value, DWORD number) {
  return WriteValue(root, key, value, REG_DWORD, &number, sizeof number);
}

inline bool WriteText(HKEY root, const std::string& key, const char* value, const std::string& text,
                      DWORD type = REG_SZ) {
  return WriteValue(root, key, value, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

}  // namespace zt::winetest
