#include "overlay/engine/displays.h"

namespace zt {

const DisplayInfo* FindDisplay(const std::vector<DisplayInfo>& displays, const std::string& identity) {
  if (identity.empty()) return nullptr;
  for (const DisplayInfo& display : displays)
    if (display.identity == identity) return &display;
  return nullptr;
}

const DisplayInfo* CaptureDisplayFor(const std::vector<DisplayInfo>& displays, const std::string& identity) {
  if (const DisplayInfo* chosen = FindDisplay(displays, identity)) return chosen;
  for (const DisplayInfo& display : displays)
    if (display.primary) return &display;
  return nullptr;
}

}  // namespace zt
