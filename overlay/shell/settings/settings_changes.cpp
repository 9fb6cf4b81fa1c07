#include "overlay/shell/settings/settings_changes.h"

namespace zt::shell {

bool ImageSettingsDiffer(const SettingsValues& a, const SettingsValues& b) {
  return a.saveImageSize != b.saveImageSize || a.widthZoom != b.widthZoom || a.heightZoom != b.heightZoom ||
         a.x != b.x || a.y != b.y || a.captureDisplay != b.captureDisplay;
}

bool FolderSettingsDiffer(const SettingsValues& a, const SettingsValues& b) {
  return a.saveFolder != b.saveFolder || a.autoSave != b.autoSave || a.lessonHandout != b.lessonHandout ||
         a.saveBalloon != b.saveBalloon;
}

std::uint32_t FirstFourBytes(const unsigned char* data, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4 && i < size && data; ++i)
    value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return value;
}

}  // namespace zt::shell
