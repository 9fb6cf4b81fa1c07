#include "overlay/shell/settings/settings_changes.h"

#include <cstring>

namespace zt::shell {

bool ImageSettingsDiffer(const SettingsValues& a, const SettingsValues& b) {
  return a.saveImageSize != b.saveImageSize || a.widthZoom != b.widthZoom || a.heightZoom != b.heightZoom ||
         a.x != b.x || a.y != b.y || a.captureDisplay != b.captureDisplay;
}

bool FolderSettingsDiffer(const char* folder, int autoSave, const char* storedFolder, int storedAutoSave) {
  return std::strcmp(folder ? folder : "", storedFolder ? storedFolder : "") != 0 ||
         autoSave != storedAutoSave;
}

std::uint32_t FirstFourBytes(const unsigned char* data, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4 && i < size && data; ++i)
    value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return value;
}

}  // namespace zt::shell
