#include "overlay/shell/settings/admin_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace zt::shell {
namespace {

StoredValue Dword(std::int64_t number, std::size_t size = 4) {
  StoredValue value{kRegDword, std::vector<unsigned char>(size)};
  for (std::size_t i = 0; i < size; ++i) value.data[i] = static_cast<unsigned char>(number >> (8 * i));
  return value;
}

StoredValue Text(const std::string& text, std::uint32_t type = kRegSz, bool terminated = true) {
  StoredValue value{type, std::vector<unsigned char>(text.begin(), text.end())};
  if (terminated) value.data.push_back(0);
  return value;
}

using Key = std::map<std::string, StoredValue>;

AdminValues ReadKey(const Key& key) {
  const auto read = [&key](const char* name) -> std::optional<StoredValue> {
    const auto found = key.find(name);
    return found == key.end() ? std::nullopt : std::optional<StoredValue>(found->second);
  };
  const auto expand = [](const std::string& text) -> std::optional<std::string> {
    std::string out = text;
    for (const auto& [name, value] :
         {std::pair<std::string, std::string>{"%USERNAME%", "teacher"}, {"%LONG%", std::string(250, 'x')}}) {
      for (std::size_t at; (at = out.find(name)) != std::string::npos;) out.replace(at, name.size(), value);
    }
    return out;
  };
  return AdminValues::Read(read, expand);
}

SettingsValues Applied(const AdminValues& admin) {
  SettingsValues values;
  values.saveFolder = "C:\\Pictures";
  values.captureDisplay = "stored";
  values.captureDisplayName = "Room projector";
  admin.ApplyTo(values);
  return values;
}

// Nothing of the values Applied starts from was touched.
bool Unchanged(const SettingsValues& v) {
  const SettingsValues d;
  return v.saveFolder == "C:\\Pictures" && v.captureDisplay == "stored" &&
         v.captureDisplayName == "Room projector" && v.autoSave == d.autoSave &&
         v.saveImageSize == d.saveImageSize && v.widthZoom == d.widthZoom && v.heightZoom == d.heightZoom &&
         v.x == d.x && v.y == d.y && v.lessonHandout == d.lessonHandout && v.saveBalloon == d.saveBalloon &&
         v.lessonGapMinutes == d.lessonGapMinutes;
}

// What one value in a key does to the settings: taken as it is, expanded, or ignored.
TEST(AdminSettings, EachValueIsTakenOnlyWithItsTypeAndWithinItsRange) {
  struct Case {
    const char* name;
    StoredValue value;
    bool taken;
    std::function<bool(const SettingsValues&)> holds;
  };
  const Case cases[] = {
      {"AutoSave", Dword(0), true, [](auto& v) { return v.autoSave == 0; }},
      {"AutoSave", Dword(2), false, nullptr},
      {"AutoSave", Text("0"), false, nullptr},
      {"AutoSave", Dword(0, 8), false, nullptr},
      {"SaveImageSize", Dword(1), true, [](auto& v) { return v.saveImageSize == 1; }},
      {"WidthZoom", Dword(500), true, [](auto& v) { return v.widthZoom == 500; }},
      {"WidthZoom", Dword(501), false, nullptr},
      {"HeightZoom", Dword(0), false, nullptr},
      {"XCoordinate", Dword(-50000), true, [](auto& v) { return v.x == -50000; }},
      {"YCoordinate", Dword(5001), false, nullptr},
      {"LessonGapMinutes", Dword(1440), true, [](auto& v) { return v.lessonGapMinutes == 1440; }},
      {"LessonGapMinutes", Dword(0), false, nullptr},
      {"LessonHandout", Dword(1), true, [](auto& v) { return v.lessonHandout == 1; }},
      {"SaveBalloon", Dword(1), true, [](auto& v) { return v.saveBalloon == 1; }},
      {"SaveFolderPath", Text("\\\\server\\boards\\%USERNAME%", kRegExpandSz), true,
       [](auto& v) { return v.saveFolder == "\\\\server\\boards\\teacher"; }},
      {"SaveFolderPath", Text("D:\\%USERNAME%"), true, [](auto& v) { return v.saveFolder == "D:\\teacher"; }},
      {"SaveFolderPath", Text("D:\\%LONG%\\boards"), false, nullptr},  // 259 characters at most
      {"SaveFolderPath", Text(""), false, nullptr},
      {"SaveFolderPath", Text("D:\\%SCHOOL%\\boards"), false, nullptr},       // a variable nobody knows
      {"SaveFolderPath", Text("boards"), false, nullptr},                     // relative to who knows what
      {"SaveFolderPath", Text("D:\\boards", kRegSz, false), false, nullptr},  // no end
      {"SaveFolderPath", Dword(1), false, nullptr},
      {"CaptureDisplay", Text("\\\\?\\DISPLAY#GSM5B09#"), true,
       [](auto& v) { return v.captureDisplay == "\\\\?\\DISPLAY#GSM5B09#" && v.captureDisplayName.empty(); }},
      {"CaptureDisplay", Text("stored"), true,
       [](auto& v) { return v.captureDisplayName == "Room projector"; }},
      {"CaptureDisplay", Text("x", kRegExpandSz), false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AdminValues admin = ReadKey({{c.name, c.value}});
    const SettingsValues values = Applied(admin);
    EXPECT_EQ(admin.Empty(), !c.taken);
    if (c.taken) {
      EXPECT_TRUE(c.holds(values));
    } else {
      EXPECT_TRUE(Unchanged(values));
    }
  }
}

TEST(AdminSettings, TheLanguageIsAPlainFileNameOfTheLanguageFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"Japanese", "Japanese.ini"}, {"Japanese.ini", "Japanese.ini"}, {"..", nullptr},
      {"..\\..\\evil", nullptr},    {"C:evil.ini", nullptr},          {"", nullptr},
  };
  for (const auto& [given, file] : cases) {
    SCOPED_TRACE(given);
    const std::optional<std::string> chosen = ReadKey({{"Language", Text(given)}}).LanguageFile();
    EXPECT_EQ(chosen.has_value(), file != nullptr);
    if (file) {
      EXPECT_EQ(*chosen, file);
    }
  }
}

// Machine policy over the user's policy, value by value; whatever a policy holds is locked, and a
// save keeps the user's own stored value of it.
TEST(AdminSettings, MachinePolicyWinsAndALockedValueIsNeverStoredAsTheUsers) {
  const AdminValues machine = ReadKey({{"AutoSave", Dword(0)}, {"WidthZoom", Dword(120)}});
  const AdminValues user = ReadKey({{"AutoSave", Dword(1)}, {"SaveFolderPath", Text("\\\\s\\%USERNAME%")}});
  const AdminValues policy = AdminValues::Over(machine, user);
  const SettingsValues shown = Applied(policy);
  EXPECT_EQ(shown.autoSave, 0);
  EXPECT_EQ(shown.widthZoom, 120);
  EXPECT_EQ(shown.saveFolder, "\\\\s\\teacher");
  EXPECT_TRUE(policy.Has(AdminSetting::SaveFolder));
  EXPECT_FALSE(policy.Has(AdminSetting::HeightZoom));

  SettingsValues stored;
  stored.saveFolder = "C:\\Mine";
  stored.autoSave = 1;
  stored.widthZoom = 90;
  SettingsValues edited = shown;
  edited.heightZoom = 80;  // not locked: the user's change is stored
  const SettingsValues written = ValuesToStore(edited, stored, policy);
  EXPECT_EQ(written.saveFolder, "C:\\Mine");
  EXPECT_EQ(written.autoSave, 1);
  EXPECT_EQ(written.widthZoom, 90);
  EXPECT_EQ(written.heightZoom, 80);
}

TEST(AdminSettings, EveryRuleHasAValueNameOfItsOwn) {
  std::map<std::string, int> names;
  for (const AdminSettingRule& rule : AdminSettingRules())
    EXPECT_EQ(++names[rule.valueName], 1) << rule.valueName;
}

}  // namespace
}  // namespace zt::shell
