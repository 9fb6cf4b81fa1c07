// The language file chosen for a Japanese, a German and a French user. Each suite runs in its
// own process with the matching Unix locale, from which Wine takes the user's language.
#include <gtest/gtest.h>

#include <string>

#include "overlay/shell/settings/caption_keys.h"
#include "overlay/shell/settings/win32/app_settings.h"
#include "tests/support/shell_wine_fixture.h"

namespace zt::shell {
namespace {

using winetest::ProgramFolder;
using winetest::Recorder;

std::string LocaleHint(const char* locale) {
  return std::string("the user language comes from the Unix locale; generate it with: localedef -i ") +
         locale + " -f UTF-8 " + locale + ".UTF-8";
}

// The shipped files, as they lie beside the program.
std::string ChosenBesideProgram() {
  Recorder recorder;
  const CAppSettings settings(recorder.Sink(), nullptr);
  const std::string path = settings.CaptionFilePath();
  return path.substr(path.rfind('\\') + 1);
}

TEST(UserLanguageJapanese, TheListedLanguageChoosesJapaneseIni) {
  ASSERT_EQ(GetUserDefaultLangID(), 0x0411) << LocaleHint("ja_JP");
  Recorder recorder;
  const CAppSettings settings(recorder.Sink(), nullptr);
  EXPECT_EQ(settings.CaptionFilePath(), winetest::ExeFolder() + "Lang\\Japanese.ini");
  EXPECT_STREQ(settings.DialogFont().lfFaceName, "MS UI Gothic");
  EXPECT_EQ(settings.DialogFont().lfCharSet, 128);
  char text[1024];
  ASSERT_GT(settings.LoadCaption(caption::kSettings.section, caption::kSettings.key, "", text, 64), 0u);
  EXPECT_STREQ(text, "\x90\xDD\x92\xE8...");  // "settings" in Shift-JIS
  // The first character of "on display" ends in byte 0x5C; it must not start an escape.
  ASSERT_GT(
      settings.LoadCaption(caption::kMesMultiScan.section, caption::kMesMultiScan.key, "", text, sizeof text),
      0u);
  EXPECT_NE(std::string(text).find("\x95\x5C\x8E\xA6"), std::string::npos);
  EXPECT_NE(std::string(text).find('\n'), std::string::npos);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(UserLanguageGerman, NoShippedFileServesGermanSoEnglishStays) {
  ASSERT_EQ(GetUserDefaultLangID(), 0x0407) << LocaleHint("de_DE");
  EXPECT_EQ(ChosenBesideProgram(), "English.ini");
}

TEST(UserLanguageGerman, AListedIdWinsAndOtherwiseThePrimaryLanguageDecides) {
  ASSERT_EQ(GetUserDefaultLangID(), 0x0407) << LocaleHint("de_DE");
  const char* english = "[Language_Info]\nlangID_1=1033\nprimary_langID=9\n";
  Recorder recorder;
  {
    ProgramFolder folder;  // Austrian German only: found by its primary language
    folder.LangFile("English.ini", english);
    folder.LangFile("Austrian.ini", "[Language_Info]\nlangID_1=3079\nprimary_langID=7\n");
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    EXPECT_EQ(settings.CaptionFilePath(), folder.Path() + "Lang\\Austrian.ini");
  }
  {
    ProgramFolder folder;  // one file lists 0x0407 itself, whatever the listing order
    folder.LangFile("English.ini", english);
    folder.LangFile("A.ini", "[Language_Info]\nlangID_1=3079\nprimary_langID=7\n");
    folder.LangFile("Z.ini", "[Language_Info]\nlangID_1=2055\nlangID_2=1031\nprimary_langID=7\n");
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    EXPECT_EQ(settings.CaptionFilePath(), folder.Path() + "Lang\\Z.ini");
  }
  {
    ProgramFolder folder;  // an entry behind a missing langID_1 is never read
    folder.LangFile("English.ini", english);
    folder.LangFile("Gap.ini", "[Language_Info]\nlangID_2=1031\n");
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    EXPECT_EQ(settings.CaptionFilePath(), folder.Path() + "Lang\\English.ini");
  }
}

TEST(UserLanguageFrench, AnUnknownLanguageKeepsEnglishIni) {
  ASSERT_EQ(GetUserDefaultLangID(), 0x040C) << LocaleHint("fr_FR");
  EXPECT_EQ(ChosenBesideProgram(), "English.ini");
}

}  // namespace
}  // namespace zt::shell
