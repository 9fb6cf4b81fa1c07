#include "overlay/shell/settings/caption_file_choice.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace zt::shell {
namespace {

// Language files as key/value maps of their "Language_Info" section.
class Folder {
 public:
  Folder& File(const std::string& name, std::map<std::string, long> info) {
    m_names.push_back(name);
    m_info[name] = std::move(info);
    return *this;
  }
  std::string Choose(std::uint16_t userLangId) const {
    const int i =
        ChooseCaptionFile(m_names, userLangId, [this](const std::string& file, const char* key) -> long {
          const auto& info = m_info.at(file);
          const auto it = info.find(key);
          return it == info.end() ? 0 : it->second;
        });
    return i < 0 ? "(none)" : m_names[static_cast<std::size_t>(i)];
  }

 private:
  std::vector<std::string> m_names;
  std::map<std::string, std::map<std::string, long>> m_info;
};

TEST(CaptionFileChoice, ListedLanguageWinsOverAnEarlierPrimaryMatch) {
  Folder folder;
  folder.File("English.ini", {{"langID_1", 0x0409}, {"langID_2", 0x0809}, {"primary_langID", 9}})
      .File("German.ini", {{"langID_1", 0x0407}, {"primary_langID", 7}})
      .File("Swiss.ini", {{"langID_1", 0x0807}, {"primary_langID", 7}});
  EXPECT_EQ(folder.Choose(0x0809), "English.ini");
  EXPECT_EQ(folder.Choose(0x0807), "Swiss.ini");   // German.ini's primary match comes second
  EXPECT_EQ(folder.Choose(0x0C07), "German.ini");  // no list has it: first primary match
  EXPECT_EQ(folder.Choose(0x040C), "(none)");      // French: English stays
}

TEST(CaptionFileChoice, AListEndsAtItsFirstZeroOrMissingEntry) {
  Folder folder;
  folder.File("Gap.ini", {{"langID_1", 0x0409}, {"langID_2", 0}, {"langID_3", 0x0411}})
      .File("NoFirst.ini", {{"langID_2", 0x0411}, {"primary_langID", 0x11}});
  // Neither list reaches 0x0411, so only the second pass finds Japanese.
  EXPECT_EQ(folder.Choose(0x0411), "NoFirst.ini");
  Folder last;
  std::map<std::string, long> many;
  for (int n = 1; n <= 99; ++n) many["langID_" + std::to_string(n)] = 0x1000 + n;
  many["langID_100"] = 0x0411;  // beyond the 99 entries a file may list
  last.File("Many.ini", many);
  EXPECT_EQ(last.Choose(0x1000 + 99), "Many.ini");
  EXPECT_EQ(last.Choose(0x0411), "(none)");
}

TEST(CaptionFileChoice, IdsCompareAsSixteenBitsAndAMissingPrimaryServesNoOne) {
  Folder folder;
  folder.File("Wide.ini", {{"langID_1", 0x10407}}).File("Blank.ini", {{"langID_1", 0x0409}});
  EXPECT_EQ(folder.Choose(0x0407), "Wide.ini");
  // A neutral user language (primary 0) does not pick a file that declares no primary language.
  EXPECT_EQ(folder.Choose(0x0400), "(none)");
  EXPECT_EQ(Folder().Choose(0x0409), "(none)");
}

}  // namespace
}  // namespace zt::shell
