#include "installer/installed_defaults.h"

#include <algorithm>
#include <cstdint>

#include "overlay/shell/settings/settings_changes.h"

namespace zt::installer {

namespace {

using shell::AdminSetting;
using shell::AdminValueKind;
using shell::StoredValue;

// The settings an administrator may give when installing, by the property that gives each. The
// others of the table (the lesson's gap, the geometry) belong to a policy or to the room.
struct SettingProperty {
  AdminSetting setting;
  const char* property;
};
constexpr SettingProperty kSettingProperties[] = {
    {AdminSetting::SaveFolder, "SAVEFOLDER"},   {AdminSetting::AutoSave, "AUTOSAVE"},
    {AdminSetting::SaveImageSize, "IMAGESIZE"}, {AdminSetting::CaptureDisplay, "DISPLAY"},
    {AdminSetting::Language, "LANGUAGE"},       {AdminSetting::LessonHandout, "LESSONHANDOUT"},
    {AdminSetting::SaveBalloon, "SAVEBALLOON"},
};

DefaultType TypeOf(AdminValueKind kind) {
  switch (kind) {
    case AdminValueKind::Number:
      return DefaultType::Number;
    case AdminValueKind::Folder:
      return DefaultType::ExpandableText;
    default:
      return DefaultType::Text;
  }
}

std::vector<InstalledDefault> MakeTable() {
  std::vector<InstalledDefault> table;
  for (const SettingProperty& given : kSettingProperties) {
    for (const shell::AdminSettingRule& rule : shell::AdminSettingRules()) {
      if (rule.setting == given.setting) table.push_back({given.property, rule.valueName, TypeOf(rule.kind)});
    }
  }
  // The package's own choices, each on unless 0: the log-on entry, the service, and the users' right
  // to calibrate the room.
  table.push_back({"STARTATLOGON", "StartAtLogOn", DefaultType::Number});
  table.push_back({"INSTALLSERVICE", "InstallService", DefaultType::Number});
  table.push_back({"ROOMCALIBRATION", "RoomCalibration", DefaultType::Number});
  return table;
}

const InstalledDefault* Find(const std::string& property) {
  const std::vector<InstalledDefault>& table = InstalledDefaults();
  const auto found = std::find_if(table.begin(), table.end(),
                                  [&](const InstalledDefault& entry) { return entry.property == property; });
  return found == table.end() ? nullptr : &*found;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// A whole number in decimals as a DWORD's bits: negative ones as the program reads them back
// (signed), the rest up to the largest DWORD.
std::optional<std::uint32_t> DwordOf(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = text.substr(negative ? 1 : 0);
  if (!AllDigits(digits) || digits.size() > 10) return std::nullopt;
  const std::uint64_t magnitude = std::stoull(digits);
  if (magnitude > (negative ? 0x80000000ull : 0xFFFFFFFFull)) return std::nullopt;
  return static_cast<std::uint32_t>(negative ? 0x100000000ull - magnitude : magnitude);
}

std::optional<StoredValue> ValueOf(const InstalledDefault& entry, const std::string& text) {
  if (entry.type != DefaultType::Number) {
    StoredValue value{entry.type == DefaultType::Text ? shell::kRegSz : shell::kRegExpandSz,
                      std::vector<unsigned char>(text.begin(), text.end())};
    value.data.push_back(0);
    return value;
  }
  const std::optional<std::uint32_t> number = DwordOf(text);
  if (!number) return std::nullopt;
  StoredValue value{shell::kRegDword, std::vector<unsigned char>(4)};
  for (std::size_t i = 0; i < 4; ++i) value.data[i] = static_cast<unsigned char>(*number >> (8 * i));
  return value;
}

}  // namespace

const std::vector<InstalledDefault>& InstalledDefaults() {
  static const std::vector<InstalledDefault> table = MakeTable();
  return table;
}

std::string DefaultsData(const PropertyReader& property) {
  std::string data;
  for (const InstalledDefault& entry : InstalledDefaults()) {
    const std::string text = property(entry.property);
    if (!text.empty()) data += entry.property + "=" + std::to_string(text.size()) + ":" + text + ";";
  }
  return data;
}

std::vector<DefaultToWrite> DefaultsToWrite(const std::string& data) {
  std::vector<DefaultToWrite> values;
  for (std::size_t at = 0; at < data.size();) {
    const std::size_t equals = data.find('=', at);
    const std::size_t colon = equals == std::string::npos ? equals : data.find(':', equals);
    if (colon == std::string::npos) return {};
    const std::string length = data.substr(equals + 1, colon - equals - 1);
    if (!AllDigits(length) || length.size() > 9) return {};
    const std::size_t end = colon + 1 + std::stoul(length);
    if (end >= data.size() || data[end] != ';') return {};
    // A property this package does not keep is passed over.
    if (const InstalledDefault* entry = Find(data.substr(at, equals - at)))
      values.push_back({entry->valueName, ValueOf(*entry, data.substr(colon + 1, end - colon - 1))});
    at = end + 1;
  }
  return values;
}

std::optional<std::string> PropertyText(const InstalledDefault& entry, const StoredValue& stored) {
  if (entry.type == DefaultType::Number) {
    if (stored.type != shell::kRegDword || stored.data.size() != 4) return std::nullopt;
    return std::to_string(static_cast<std::int32_t>(shell::FirstFourBytes(stored.data.data(), 4)));
  }
  const bool text = stored.type == shell::kRegSz ||
                    (entry.type == DefaultType::ExpandableText && stored.type == shell::kRegExpandSz);
  if (!text) return std::nullopt;
  const auto end = std::find(stored.data.begin(), stored.data.end(), 0);
  return std::string(stored.data.begin(), end);
}

}  // namespace zt::installer
