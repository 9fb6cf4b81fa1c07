// The installation's defaults as msiexec's public properties. An administrator gives them on the
// command line (AUTOSAVE=1); the package keeps them in the Defaults key, where the program reads the
// settings among them, and gives them back to a repair or an upgrade that is not given them again.
// The settings' value names and kinds are the administrator's table's; the package's own three
// choices (log-on entry, service, the room's calibration) live in the same key, so that a repair or
// an upgrade makes the same choice.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "overlay/shell/settings/admin_settings.h"

namespace zt::installer {

// How a property's text is stored: REG_DWORD, REG_SZ, or REG_EXPAND_SZ (a folder may name
// %USERNAME%, which the program expands for each user).
enum class DefaultType { Number, Text, ExpandableText };

struct InstalledDefault {
  std::string property;   // as msiexec takes it: "AUTOSAVE"
  std::string valueName;  // in the Defaults key: "AutoSave"
  DefaultType type;
};

// Every property the package keeps.
const std::vector<InstalledDefault>& InstalledDefaults();

// A property's text; empty when it is not set (Windows Installer knows no empty property).
using PropertyReader = std::function<std::string(const std::string& property)>;

// The text the installation hands its deferred writer: each set property as NAME=<length>:<text>;
// the length lets a value hold any character (a folder's ';', a display's '#' and '&').
std::string DefaultsData(const PropertyReader& property);

// One value of the Defaults key as the writer leaves it: the value, or none to remove it. A number
// property whose text is no whole number removes its value: an earlier one must not stand for it.
struct DefaultToWrite {
  std::string valueName;
  std::optional<shell::StoredValue> value;
};

// The writer's values from that text; a text that is not of that form gives none at all.
std::vector<DefaultToWrite> DefaultsToWrite(const std::string& data);

// The property text that gives a stored value again (a number as decimals); nothing for a value of
// another type, which the writer did not leave.
std::optional<std::string> PropertyText(const InstalledDefault& entry, const shell::StoredValue& stored);

}  // namespace zt::installer
