#include "overlay/shell/settings/display_calibration.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zt::shell {

DisplayCalibration CalibrationOf(const SettingsValues& values) {
  return {values.saveImageSize, values.widthZoom, values.heightZoom, values.x, values.y};
}

void PutCalibration(const DisplayCalibration& calibration, SettingsValues& values) {
  values.saveImageSize = calibration.saveImageSize;
  values.widthZoom = calibration.widthZoom;
  values.heightZoom = calibration.heightZoom;
  values.x = calibration.x;
  values.y = calibration.y;
}

std::string FormatDisplayCalibration(const DisplayCalibration& c) {
  char text[80];
  std::snprintf(text, sizeof text, "%d %d %d %d %d", static_cast<int>(c.saveImageSize),
                static_cast<int>(c.widthZoom), static_cast<int>(c.heightZoom), static_cast<int>(c.x),
                static_cast<int>(c.y));
  return text;
}

std::optional<DisplayCalibration> ParseDisplayCalibration(const std::string& text) {
  std::int32_t numbers[5];
  const char* p = text.c_str();
  for (std::int32_t& number : numbers) {
    while (*p == ' ') ++p;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    number = static_cast<std::int32_t>(value);
    p = end;
  }
  while (*p == ' ') ++p;
  if (*p) return std::nullopt;
  const DisplayCalibration c{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
  // The values the dialog can hold: anything else was not written by us.
  const auto zoom = [](std::int32_t z) { return z >= kMinZoom && z <= kMaxZoom; };
  const auto offset = [](std::int32_t o) { return o >= kMinOffset && o <= kMaxOffset; };
  if ((c.saveImageSize != 0 && c.saveImageSize != 1) || !zoom(c.widthZoom) || !zoom(c.heightZoom) ||
      !offset(c.x) || !offset(c.y))
    return std::nullopt;
  return c;
}

std::string DisplayRecordName(const std::string& identity) {
  // Identities are device paths ("\\?\..." or "\\.\..."), so this name is never one of them.
  return identity.empty() ? "Primary screen" : identity;
}

std::map<std::string, DisplayCalibration> RecordsToWrite(
    const SettingsValues& values, const std::map<std::string, DisplayCalibration>& otherDisplays,
    bool storeHasChoice) {
  std::map<std::string, DisplayCalibration> records;
  bool visitedAnother = !values.captureDisplay.empty();
  for (const auto& [identity, calibration] : otherDisplays)
    visitedAnother = visitedAnother || !identity.empty();
  if (!visitedAnother && !storeHasChoice) return records;
  records = otherDisplays;
  records[values.captureDisplay] = CalibrationOf(values);
  return records;
}

DisplayCalibration StandInCalibration(const SettingsValues& stored,
                                      const std::optional<DisplayCalibration>& primaryOwn,
                                      const std::optional<DisplayCalibration>& primaryChoice) {
  if (primaryOwn) return *primaryOwn;
  if (primaryChoice) return *primaryChoice;
  DisplayCalibration defaults;
  defaults.saveImageSize = stored.saveImageSize;
  return defaults;
}

}  // namespace zt::shell
