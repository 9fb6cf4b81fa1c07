// What an administrator sets for every user of a PC: policies, which also lock a setting in the
// dialog, and the defaults given when the package was installed, which a user's own stored value
// overrides. Both are registry values of the same names; the table here is the one list of them,
// and the policy templates shipped with the package are checked against it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "overlay/engine/settings/settings_values.h"

namespace zt::shell {

// Policies: HKEY_LOCAL_MACHINE's win over HKEY_CURRENT_USER's.
inline constexpr char kPolicyKey[] = "Software\\Policies\\Corvane\\Zentab Lumbrel";
// The installation's defaults, in HKEY_LOCAL_MACHINE, apart from the room's calibration key so that
// whoever may calibrate the room cannot change them.
inline constexpr char kInstalledDefaultsKey[] = "Software\\Corvane\\Zentab Lumbrel Defaults";

enum class AdminSetting {
  SaveFolder,
  AutoSave,
  SaveImageSize,
  CaptureDisplay,
  Language,
  LessonHandout,
  SaveBalloon,
  LessonGapMinutes,
  WidthZoom,
  HeightZoom,
  XCoordinate,
  YCoordinate,
};

enum class AdminValueKind {
  Number,    // REG_DWORD within [min, max]
  Folder,    // REG_SZ or REG_EXPAND_SZ; environment variables expanded; at most 259 characters then
  Text,      // REG_SZ of at most 259 characters
  FileName,  // REG_SZ naming a file of a folder: no separators, no "..", at most 64 characters
};

struct AdminSettingRule {
  AdminSetting setting;
  const char* valueName;
  AdminValueKind kind;
  std::int32_t min = 0, max = 0;  // numbers only
};

// Every setting an administrator may give, in the order the templates list them.
const std::vector<AdminSettingRule>& AdminSettingRules();

// Registry value types, as the system numbers them.
inline constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegDword = 4;

// A registry value as read: its type and its bytes.
struct StoredValue {
  std::uint32_t type = 0;
  std::vector<unsigned char> data;
};
// The value of that name in one key; nothing when it is missing (or the key is).
using StoredValueReader = std::function<std::optional<StoredValue>(const char* valueName)>;
// A text with its environment variables expanded; nothing when that fails.
using EnvironmentExpander = std::function<std::optional<std::string>(const std::string& text)>;

// What one key gives, each value checked against its rule: a value of the wrong type, out of
// range, too long, or (a folder) empty is left out, as if it were not there.
class AdminValues {
 public:
  static AdminValues Read(const StoredValueReader& read, const EnvironmentExpander& expand);
  // first's values, and second's where first has none.
  static AdminValues Over(const AdminValues& first, const AdminValues& second);

  bool Has(AdminSetting setting) const { return m_values.count(setting) != 0; }
  bool Empty() const { return m_values.empty(); }
  // Puts every value this holds into values (the language is not one of them).
  void ApplyTo(SettingsValues& values) const;
  // The language file's name, with ".ini" added when it has no extension.
  std::optional<std::string> LanguageFile() const;

 private:
  std::map<AdminSetting, std::variant<std::int32_t, std::string>> m_values;
};

// What a save writes: the values shown, except that a setting the policy holds keeps what was
// stored (a policy's value is never made the user's own). The display stays as shown: the geometry
// saved with it belongs to it.
SettingsValues ValuesToStore(const SettingsValues& shown, const SettingsValues& stored,
                             const AdminValues& policy);

}  // namespace zt::shell
