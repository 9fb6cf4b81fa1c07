// The seven settings the engine reads, in the order in which they always travel.
#pragma once

#include <cstdint>
#include <string>

namespace zt {

struct SettingsValues {
  std::string saveFolder;
  std::int32_t autoSave = 0;
  std::int32_t saveImageSize = 0;  // SaveImageSize
  std::int32_t widthZoom = 100;    // percent
  std::int32_t heightZoom = 100;
  std::int32_t x = 0;  // scan's top-left corner on the screenshot, in screenshot pixels
  std::int32_t y = 0;
};

}  // namespace zt
