#include "overlay/shell/settings/admin_settings.h"

#include <cctype>
#include <cstring>

#include "common/mbcs_path.h"
#include "overlay/shell/settings/settings_changes.h"

namespace zt::shell {

namespace {

constexpr std::size_t kMaxPathChars = 259;  // what a 260-byte path buffer holds
constexpr std::size_t kMaxFileNameChars = 64;

using Kind = AdminValueKind;
using S = AdminSetting;

// Where each setting lives among the values the program passes around; the language lives apart.
std::int32_t SettingsValues::*NumberField(AdminSetting setting) {
  switch (setting) {
    case S::AutoSave:
      return &SettingsValues::autoSave;
    case S::SaveImageSize:
      return &SettingsValues::saveImageSize;
    case S::LessonHandout:
      return &SettingsValues::lessonHandout;
    case S::SaveBalloon:
      return &SettingsValues::saveBalloon;
    case S::LessonGapMinutes:
      return &SettingsValues::lessonGapMinutes;
    case S::WidthZoom:
      return &SettingsValues::widthZoom;
    case S::HeightZoom:
      return &SettingsValues::heightZoom;
    case S::XCoordinate:
      return &SettingsValues::x;
    case S::YCoordinate:
      return &SettingsValues::y;
    default:
      return nullptr;
  }
}

std::optional<std::int32_t> NumberOf(const StoredValue& value, const AdminSettingRule& rule) {
  if (value.type != kRegDword || value.data.size() != 4) return std::nullopt;
  const auto number = static_cast<std::int32_t>(FirstFourBytes(value.data.data(), value.data.size()));
  if (number < rule.min || number > rule.max) return std::nullopt;
  return number;
}

// The text of a string value: up to its first NUL, which must be within its bytes (a value
// written without one is not trusted to end where it seems to).
std::optional<std::string> TextOf(const StoredValue& value, bool expandable) {
  if (value.type != kRegSz && !(expandable && value.type == kRegExpandSz)) return std::nullopt;
  const auto* bytes = reinterpret_cast<const char*>(value.data.data());
  const void* end = std::memchr(bytes, '\0', value.data.size());
  if (!end) return std::nullopt;
  return std::string(bytes, static_cast<const char*>(end));
}

// A whole path ("D:\\..." or a share's "\\\\server\\..."), short enough for a path buffer, with
// no variable left that the user's environment did not know ("%SCHOOL%"): such a folder would be
// relative to wherever the program runs, or a folder named after the variable.
bool UsableFolder(const std::string& folder) {
  if (folder.size() < 3 || folder.size() > kMaxPathChars) return false;
  const bool drive =
      std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' && folder[2] == '\\';
  if (!drive && !IsSharePath(folder)) return false;
  const std::size_t open = folder.find('%');
  const std::size_t close = open == std::string::npos ? open : folder.find('%', open + 1);
  return close == std::string::npos || close == open + 1;
}

bool PlainFileName(const std::string& name) {
  return !name.empty() && name.size() <= kMaxFileNameChars && name != "." && name != ".." &&
         name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

std::optional<std::variant<std::int32_t, std::string>> Checked(const StoredValue& value,
                                                               const AdminSettingRule& rule,
                                                               const EnvironmentExpander& expand) {
  switch (rule.kind) {
    case Kind::Number:
      if (auto number = NumberOf(value, rule)) return *number;
      return std::nullopt;
    case Kind::Folder: {
      const std::optional<std::string> text = TextOf(value, true);
      const std::optional<std::string> folder = text && expand ? expand(*text) : text;
      if (!folder || !UsableFolder(*folder)) return std::nullopt;
      return *folder;
    }
    case Kind::Text: {
      const std::optional<std::string> text = TextOf(value, false);
      if (!text || text->size() > kMaxPathChars) return std::nullopt;
      return *text;
    }
    case Kind::FileName: {
      const std::optional<std::string> text = TextOf(value, false);
      if (!text || !PlainFileName(*text)) return std::nullopt;
      return *text;
    }
  }
  return std::nullopt;
}

}  // namespace

const std::vector<AdminSettingRule>& AdminSettingRules() {
  static const std::vector<AdminSettingRule> rules = {
      {S::SaveFolder, "SaveFolderPath", Kind::Folder},
      {S::AutoSave, "AutoSave", Kind::Number, 0, 1},
      {S::SaveImageSize, "SaveImageSize", Kind::Number, 0, 1},
      {S::CaptureDisplay, "CaptureDisplay", Kind::Text},
      {S::Language, "Language", Kind::FileName},
      {S::LessonHandout, "LessonHandout", Kind::Number, 0, 1},
      {S::SaveBalloon, "SaveBalloon", Kind::Number, 0, 1},
      {S::LessonGapMinutes, "LessonGapMinutes", Kind::Number, kMinLessonGapMinutes, kMaxLessonGapMinutes},
      {S::WidthZoom, "WidthZoom", Kind::Number, kMinZoom, kMaxZoom},
      {S::HeightZoom, "HeightZoom", Kind::Number, kMinZoom, kMaxZoom},
      {S::XCoordinate, "XCoordinate", Kind::Number, kMinOffset, kMaxOffset},
      {S::YCoordinate, "YCoordinate", Kind::Number, kMinOffset, kMaxOffset},
  };
  return rules;
}

AdminValues AdminValues::Read(const StoredValueReader& read, const EnvironmentExpander& expand) {
  AdminValues values;
  for (const AdminSettingRule& rule : AdminSettingRules()) {
    const std::optional<StoredValue> stored = read(rule.valueName);
    if (!stored) continue;
    if (auto checked = Checked(*stored, rule, expand)) values.m_values[rule.setting] = std::move(*checked);
  }
  return values;
}

AdminValues AdminValues::Over(const AdminValues& first, const AdminValues& second) {
  AdminValues merged = first;
  merged.m_values.insert(second.m_values.begin(), second.m_values.end());  // keeps first's
  return merged;
}

void AdminValues::ApplyTo(SettingsValues& values) const {
  for (const auto& [setting, value] : m_values) {
    if (auto field = NumberField(setting)) {
      values.*field = std::get<std::int32_t>(value);
    } else if (setting == S::SaveFolder) {
      values.saveFolder = std::get<std::string>(value);
    } else if (setting == S::CaptureDisplay) {
      const std::string& identity = std::get<std::string>(value);
      // The name the user knew the display by belongs to the stored choice only.
      if (identity != values.captureDisplay) values.captureDisplayName.clear();
      values.captureDisplay = identity;
    }
  }
}

std::optional<std::string> AdminValues::LanguageFile() const {
  const auto found = m_values.find(S::Language);
  if (found == m_values.end()) return std::nullopt;
  const std::string& name = std::get<std::string>(found->second);
  return name.find('.') == std::string::npos ? name + ".ini" : name;
}

SettingsValues ValuesToStore(const SettingsValues& shown, const SettingsValues& stored,
                             const AdminValues& policy) {
  SettingsValues values = shown;
  for (const AdminSettingRule& rule : AdminSettingRules()) {
    if (!policy.Has(rule.setting)) continue;
    if (auto field = NumberField(rule.setting)) {
      values.*field = stored.*field;
    } else if (rule.setting == S::SaveFolder) {
      values.saveFolder = stored.saveFolder;
    }
    // The display is stored as shown: the geometry written beside it was calibrated on the display
    // the policy chose, and stored under another display's name it would be wrong for both.
  }
  return values;
}

}  // namespace zt::shell
