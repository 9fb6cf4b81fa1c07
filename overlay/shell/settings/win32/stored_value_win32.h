// A registry value read whole, as the administrator's settings and the installer's defaults are
// read: its type and its bytes, whatever they are.
#pragma once

#include <windows.h>

#include <optional>

#include "overlay/shell/settings/admin_settings.h"

namespace zt::shell {

// Nothing when the value is missing or larger than any of ours.
inline std::optional<StoredValue> QueryStoredValue(HKEY key, const char* name) {
  constexpr DWORD kLargestValue = 4096;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size > kLargestValue)
    return std::nullopt;
  StoredValue value{type, std::vector<unsigned char>(size)};
  if (RegQueryValueExA(key, name, nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.data.resize(size);
  value.type = type;
  return value;
}

}  // namespace zt::shell
