#include "overlay/engine/capture/displays.h"

#include <cctype>

namespace zt {

namespace {

bool SameLetters(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

const DisplayInfo* FindDisplay(const std::vector<DisplayInfo>& displays, const std::string& identity) {
  if (identity.empty()) return nullptr;
  for (const DisplayInfo& display : displays)
    if (display.identity == identity) return &display;
  return nullptr;
}

std::string DisplayHardware(const std::string& identity) {
  const std::string prefix = "\\\\?\\DISPLAY#";
  if (identity.size() <= prefix.size() || !SameLetters(identity.substr(0, prefix.size()), prefix)) return "";
  const std::size_t end = identity.find('#', prefix.size());
  if (end == std::string::npos) return "";
  const std::string hardware = identity.substr(prefix.size(), end - prefix.size());
  return SameLetters(hardware, "Default_Monitor") ? "" : hardware;
}

const DisplayInfo* FindChosenDisplay(const std::vector<DisplayInfo>& displays, const std::string& identity) {
  if (const DisplayInfo* exact = FindDisplay(displays, identity)) return exact;
  const std::string hardware = DisplayHardware(identity);
  if (hardware.empty()) return nullptr;
  const DisplayInfo* same = nullptr;
  for (const DisplayInfo& display : displays) {
    if (!SameLetters(DisplayHardware(display.identity), hardware)) continue;
    if (same) return nullptr;
    same = &display;
  }
  return same;
}

const DisplayInfo* CaptureDisplayFor(const std::vector<DisplayInfo>& displays, const std::string& identity) {
  if (const DisplayInfo* chosen = FindChosenDisplay(displays, identity)) return chosen;
  for (const DisplayInfo& display : displays)
    if (display.primary) return &display;
  return nullptr;
}

}  // namespace zt
