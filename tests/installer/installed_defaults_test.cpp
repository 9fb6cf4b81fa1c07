#include "installer/installed_defaults.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <tuple>

namespace zt::installer {
namespace {

using shell::kRegDword;
using shell::kRegExpandSz;
using shell::kRegSz;
using shell::StoredValue;

StoredValue Dword(std::uint32_t number, std::size_t size = 4) {
  StoredValue value{kRegDword, std::vector<unsigned char>(size)};
  for (std::size_t i = 0; i < size && i < 4; ++i)
    value.data[i] = static_cast<unsigned char>(number >> (8 * i));
  return value;
}

StoredValue Text(const std::string& text, std::uint32_t type = kRegSz) {
  StoredValue value{type, std::vector<unsigned char>(text.begin(), text.end())};
  value.data.push_back(0);
  return value;
}

const InstalledDefault& Entry(const std::string& property) {
  for (const InstalledDefault& entry : InstalledDefaults())
    if (entry.property == property) return entry;
  throw std::invalid_argument(property);
}

// The Defaults key as the deferred writer leaves it after an installation given these properties.
using Key = std::map<std::string, std::optional<StoredValue>>;
Key Written(const std::map<std::string, std::string>& properties) {
  const std::string data = DefaultsData([&](const std::string& name) {
    const auto found = properties.find(name);
    return found == properties.end() ? std::string() : found->second;
  });
  Key key;
  for (const DefaultToWrite& value : DefaultsToWrite(data)) key[value.valueName] = value.value;
  return key;
}

// What an administrator gives on msiexec's command line is what the program then starts from.
TEST(InstalledDefaults, ThePropertiesBecomeTheProgramsDefaults) {
  const Key key = Written({{"SAVEFOLDER", "\\\\server\\boards\\%USERNAME%"},
                           {"AUTOSAVE", "0"},
                           {"IMAGESIZE", "1"},
                           {"DISPLAY", "\\\\?\\DISPLAY#GSM5B09#5&2c03&0&UID4352#{e6f0}"},
                           {"LANGUAGE", "Japanese"},
                           {"LESSONHANDOUT", "1"},
                           {"SAVEBALLOON", "1"}});
  const shell::AdminValues admin = shell::AdminValues::Read(
      [&](const char* name) { return key.count(name) ? key.at(name) : std::nullopt; },
      [](const std::string& text) -> std::optional<std::string> {
        return text.substr(0, text.find('%')) + "ms";
      });
  SettingsValues values;
  admin.ApplyTo(values);
  EXPECT_EQ(values.saveFolder, "\\\\server\\boards\\ms");
  EXPECT_EQ(values.autoSave, 0);
  EXPECT_EQ(values.saveImageSize, 1);
  EXPECT_EQ(values.captureDisplay, "\\\\?\\DISPLAY#GSM5B09#5&2c03&0&UID4352#{e6f0}");
  EXPECT_EQ(admin.LanguageFile(), "Japanese.ini");
  EXPECT_EQ(values.lessonHandout, 1);
  EXPECT_EQ(values.saveBalloon, 1);
}

// Each property's text as the value written (none: removed), and the text a repair recovers from it.
TEST(InstalledDefaults, EachPropertyIsWrittenWithItsTypeAndRecoveredAsGiven) {
  struct Case {
    const char* property;
    std::string text;
    const char* valueName;
    std::optional<StoredValue> written;
    const char* recovered;
  };
  const std::string folder = "\\\\server\\boards;AUTOSAVE=1:0;\\%USERNAME%";  // as if it held more
  const Case cases[] = {
      {"SAVEFOLDER", folder, "SaveFolderPath", Text(folder, kRegExpandSz), folder.c_str()},
      {"DISPLAY", "\\\\?\\DISPLAY#A&1#{e6}", "CaptureDisplay", Text("\\\\?\\DISPLAY#A&1#{e6}"),
       "\\\\?\\DISPLAY#A&1#{e6}"},
      {"LANGUAGE", "..\\evil", "Language", Text("..\\evil"), "..\\evil"},  // the program refuses it
      {"AUTOSAVE", "1", "AutoSave", Dword(1), "1"},
      {"IMAGESIZE", "7", "SaveImageSize", Dword(7), "7"},  // out of range: the program refuses it
      {"ROOMCALIBRATION", "-1", "RoomCalibration", Dword(0xFFFFFFFF), "-1"},
      {"INSTALLSERVICE", "4294967295", "InstallService", Dword(0xFFFFFFFF), "-1"},
      {"STARTATLOGON", "0", "StartAtLogOn", Dword(0), "0"},
      {"STARTATLOGON", "no", "StartAtLogOn", std::nullopt, nullptr},
      {"LESSONHANDOUT", " 1", "LessonHandout", std::nullopt, nullptr},
      {"SAVEBALLOON", "4294967296", "SaveBalloon", std::nullopt, nullptr},
      {"AUTOSAVE", "-2147483649", "AutoSave", std::nullopt, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.property) + "=" + c.text);
    const Key key = Written({{c.property, c.text}});
    ASSERT_EQ(key.size(), 1u);
    ASSERT_EQ(key.begin()->first, c.valueName);
    const std::optional<StoredValue>& written = key.begin()->second;
    ASSERT_EQ(written.has_value(), c.written.has_value());
    if (!written) continue;
    EXPECT_EQ(written->type, c.written->type);
    EXPECT_EQ(written->data, c.written->data);
    EXPECT_EQ(PropertyText(Entry(c.property), *written), c.recovered);
  }
}

// A value the package did not write (by hand, or of another type) gives its property nothing.
TEST(InstalledDefaults, OnlyAValueOfThePropertysTypeIsRecovered) {
  const std::tuple<const char*, StoredValue, std::optional<std::string>> cases[] = {
      {"SAVEFOLDER", Text("D:\\boards"), "D:\\boards"},
      {"SAVEFOLDER", Dword(1), std::nullopt},
      {"LANGUAGE", Text("Japanese", kRegExpandSz), std::nullopt},
      {"AUTOSAVE", Text("1"), std::nullopt},
      {"AUTOSAVE", Dword(1, 8), std::nullopt},
  };
  for (const auto& [property, stored, recovered] : cases) {
    SCOPED_TRACE(property);
    EXPECT_EQ(PropertyText(Entry(property), stored), recovered);
  }
}

TEST(InstalledDefaults, NoPropertyWritesNothingAndABrokenTextNothingAtAll) {
  EXPECT_TRUE(Written({}).empty());
  for (const char* data : {"AUTOSAVE=2:1;", "AUTOSAVE=1:1", "AUTOSAVE=x:1;", "AUTOSAVE1:1;", "AUTOSAVE=:;",
                           "AUTOSAVE=1:1;LANGUAGE=9:Japanese;"}) {
    EXPECT_TRUE(DefaultsToWrite(data).empty()) << data;
  }
  const std::vector<DefaultToWrite> known = DefaultsToWrite("OTHER=1:1;AUTOSAVE=1:0;");
  ASSERT_EQ(known.size(), 1u);
  EXPECT_EQ(known[0].valueName, "AutoSave");
}

}  // namespace
}  // namespace zt::installer
