// The display choice of an open settings dialog. The geometry on show always belongs to the
// chosen display; choosing another one keeps what was on show for the one left (it comes back
// when that display is chosen again in this dialog, and is stored with the others) and brings
// back what was last stored for the new one, or leaves the values as they are for a display that
// never had any.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "overlay/engine/settings/settings_values.h"
#include "overlay/shell/settings/display_calibration.h"

namespace zt::shell {

class DisplaySwitch {
 public:
  // What the store has for a display; nothing when it has no values for it.
  using StoredValues = std::function<std::optional<DisplayCalibration>(const std::string& identity)>;

  explicit DisplaySwitch(StoredValues stored) : m_stored(std::move(stored)) {}

  // values belong to values.captureDisplay; afterwards to the display identity/name.
  void Choose(SettingsValues& values, const std::string& identity, const std::string& name);

  // The displays left in this dialog with the values they had; the chosen one is not among them
  // (its values are the geometry itself).
  std::map<std::string, DisplayCalibration> Left(const std::string& chosen) const;

 private:
  StoredValues m_stored;
  std::map<std::string, DisplayCalibration> m_shown;  // by identity
};

}  // namespace zt::shell
