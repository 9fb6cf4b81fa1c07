#include "overlay/shell/dialogs/display_switch.h"

namespace zt::shell {

void DisplaySwitch::Choose(SettingsValues& values, const std::string& identity, const std::string& name) {
  if (identity == values.captureDisplay) return;
  m_shown[values.captureDisplay] = CalibrationOf(values);
  const auto shown = m_shown.find(identity);
  if (shown != m_shown.end())
    PutCalibration(shown->second, values);
  else if (const std::optional<DisplayCalibration> stored = m_stored(identity))
    PutCalibration(*stored, values);
  values.captureDisplay = identity;
  values.captureDisplayName = name;
}

std::map<std::string, DisplayCalibration> DisplaySwitch::Left(const std::string& chosen) const {
  std::map<std::string, DisplayCalibration> left = m_shown;
  left.erase(chosen);
  return left;
}

}  // namespace zt::shell
