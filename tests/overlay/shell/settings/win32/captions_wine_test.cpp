// Caption lookups and the choice of the language file, through the real profile API.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "overlay/shell/settings/caption_keys.h"
#include "overlay/shell/settings/win32/app_settings.h"
#include "tests/support/shell_wine_fixture.h"

namespace zt::shell {
namespace {

using winetest::ProgramFolder;
using winetest::Recorder;

const char kEnglish[] =
    "[Language_Info]\nlangID_1=1033\nprimary_langID=9\nFont=Verdana\nCharSize=300\nCharSet=384\n"
    "[Message]\nID_CAP_APPNAME=Test App\n"
    "ID_CAP_MES_CALIB =Line one\\nC:\\\\Lang\\\\x \\\"quoted\\\"\\q\n"
    "TEST_LONG_TEXT=0123456789012345678901234567890123456789012345678901234567890123456789\n"
    "ID_CAP_MES_FAILEDTOACCESS_SETTING=No access\n";

class Captions : public ::testing::Test {
 protected:
  void SetUp() override { winetest::ResetStore(); }
  ProgramFolder folder;
  Recorder recorder;
};

TEST_F(Captions, LoadCaptionUnescapesAndZeroesTheBufferForAMissingKey) {
  folder.LangFile("English.ini", kEnglish);
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  EXPECT_EQ(settings.CaptionFilePath(), folder.Path() + "Lang\\English.ini");
  EXPECT_STREQ(settings.AppName(), "Test App");

  char text[1024];
  // The key ends with a blank; the file's key is trimmed, the lookup finds it all the same.
  EXPECT_GT(settings.LoadCaption(caption::kMesCalib.section, caption::kMesCalib.key, "", text, sizeof text),
            0u);
  EXPECT_STREQ(text, "Line one\nC:\\Lang\\x \"quoted\"q");

  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(settings.LoadCaption("Message", "NO_SUCH_KEY", "", text, 64), 0u);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(text[i], 0) << i;
  EXPECT_EQ(text[64], 'x');

  // The default text is unescaped too: the help page's default path.
  EXPECT_EQ(settings.LoadCaption(caption::kPathHelp.section, caption::kPathHelp.key, "Help\\\\ZTLB_help.htm",
                                 text, 256),
            19u);
  EXPECT_STREQ(text, "Help\\ZTLB_help.htm");
}

TEST_F(Captions, ATextAsLongAsTheBufferStaysInsideIt) {
  folder.LangFile("English.ini", kEnglish);
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  char text[80];
  std::memset(text, '#', sizeof text);
  EXPECT_EQ(settings.LoadCaption("Message", "TEST_LONG_TEXT", "", text, 64), 63u);
  EXPECT_EQ(std::strlen(text), 63u);
  for (int i = 64; i < 80; ++i) ASSERT_EQ(text[i], '#') << i;
  EXPECT_EQ(settings.LoadCaption("Message", "TEST_LONG_TEXT", "", text, 1), 0u);
}

TEST_F(Captions, TheDialogFontComesFromTheChosenFile) {
  folder.LangFile("English.ini", kEnglish);
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  const LOGFONTA& font = settings.DialogFont();
  EXPECT_EQ(font.lfHeight, 44);  // 300 keeps its low byte
  EXPECT_EQ(font.lfCharSet, 0x80);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_EQ(font.lfPitchAndFamily, 0x20);
  EXPECT_EQ(font.lfItalic | font.lfUnderline | font.lfStrikeOut, 0);
  EXPECT_STREQ(font.lfFaceName, "Verdana");
}

TEST_F(Captions, WithoutEnglishIniNoOtherFileIsConsidered) {
  folder.LangFile("Other.ini",
                  "[Language_Info]\nlangID_1=1033\nprimary_langID=9\n[Message]\nID_CAP_APPNAME=Other\n");
  {
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    EXPECT_EQ(settings.CaptionFilePath(), folder.Path() + "Lang\\English.ini");
    EXPECT_STREQ(settings.AppName(), "");
    EXPECT_EQ(settings.DialogFont().lfHeight, 16);
    EXPECT_STREQ(settings.DialogFont().lfFaceName, "Arial");
    EXPECT_EQ(settings.DialogFont().lfCharSet, 1);
  }
  // English.ini as a folder counts as missing.
  CreateDirectoryA((folder.Path() + "Lang\\English.ini").c_str(), nullptr);
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  EXPECT_STREQ(settings.AppName(), "");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(Captions, BesideTheProgramTheShippedEnglishFileServesAnEnglishUser) {
  ASSERT_EQ(GetUserDefaultLangID(), 0x0409);
  const CAppSettings settings(recorder.Sink(), nullptr);
  EXPECT_EQ(settings.ProgramFolder(), winetest::ExeFolder());
  EXPECT_EQ(settings.CaptionFilePath(), winetest::ExeFolder() + "Lang\\English.ini");
  EXPECT_STREQ(settings.AppName(), "Zentab Lumbrel");
  EXPECT_STREQ(settings.DialogFont().lfFaceName, "Arial");
  char text[256];
  EXPECT_GT(settings.LoadCaption(caption::kPathHelp.section, caption::kPathHelp.key, "", text, sizeof text),
            0u);
  EXPECT_STREQ(text, "Help\\ZTLB_help.htm");
}

}  // namespace
}  // namespace zt::shell
