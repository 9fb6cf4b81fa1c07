#include <gtest/gtest.h>

#include "overlay/shell/settings/dialog_font.h"
#include "overlay/shell/settings/settings_changes.h"

namespace zt::shell {
namespace {

TEST(DialogFont, NumbersKeepTheirLowByteAndTheFaceAtMostThirtyCharacters) {
  const DialogFontSpec font = MakeDialogFont("Tahoma", 300, 0x180);
  EXPECT_EQ(font.height, 44);
  EXPECT_EQ(font.charSet, 0x80);
  EXPECT_STREQ(font.faceName, "Tahoma");
  EXPECT_EQ(font.pitchAndFamily, 0x20);
  EXPECT_EQ(font.weight, 400);
  EXPECT_EQ(MakeDialogFont("x", -1, 1).height, 255);
  EXPECT_STREQ(MakeDialogFont("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 90, 1).faceName,
               "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  EXPECT_STREQ(MakeDialogFont(nullptr, 90, 1).faceName, "Arial");
}

TEST(SettingsChanges, EveryValueCountsAndTheFolderComparesCaseSensitively) {
  // Settings.ini's values; the lesson gap, set by hand only, is no change of the user's.
  const struct {
    const char* folder;
    int autoSave, handout, balloon, gap;
    bool differs;
  } rows[] = {
      {"C:\\Scans", 1, 0, 0, 60, false}, {"C:\\scans", 1, 0, 0, 60, true}, {"C:\\Scans", 0, 0, 0, 60, true},
      {"C:\\Scans", 1, 1, 0, 60, true},  {"C:\\Scans", 1, 0, 1, 60, true}, {"C:\\Scans", 1, 0, 0, 5, false},
  };
  SettingsValues scans;
  scans.saveFolder = "C:\\Scans";
  for (const auto& row : rows) {
    SettingsValues v = scans;
    v.saveFolder = row.folder;
    v.autoSave = row.autoSave;
    v.lessonHandout = row.handout;
    v.saveBalloon = row.balloon;
    v.lessonGapMinutes = row.gap;
    EXPECT_EQ(FolderSettingsDiffer(v, scans), row.differs)
        << row.folder << ' ' << row.autoSave << row.handout << row.balloon << ' ' << row.gap;
  }
  // The defaults are the stored values of a fresh store: screen size, 100 %, no offset.
  const SettingsValues stored;
  EXPECT_EQ(stored.autoSave, 1);
  EXPECT_FALSE(ImageSettingsDiffer(stored, SettingsValues{"C:\\Other", 0, 0, 100, 100, 0, 0, "", ""}));
  EXPECT_TRUE(ImageSettingsDiffer(stored, SettingsValues{"", 1, 1, 100, 100, 0, 0, "", ""}));
  EXPECT_TRUE(ImageSettingsDiffer(stored, SettingsValues{"", 1, 0, 101, 100, 0, 0, "", ""}));
  EXPECT_TRUE(ImageSettingsDiffer(stored, SettingsValues{"", 1, 0, 100, 99, 0, 0, "", ""}));
  EXPECT_TRUE(ImageSettingsDiffer(stored, SettingsValues{"", 1, 0, 100, 100, -1, 0, "", ""}));
  EXPECT_TRUE(ImageSettingsDiffer(stored, SettingsValues{"", 1, 0, 100, 100, 0, 5, "", ""}));
  // The geometry belongs to a display: another display is another geometry; its name is only a label.
  SettingsValues projector = stored;
  projector.captureDisplay = "\\\\?\\DISPLAY#PRJ0001#5&1&0&UID4352";
  EXPECT_TRUE(ImageSettingsDiffer(stored, projector));
  SettingsValues renamed = stored;
  renamed.captureDisplayName = "Projector";
  EXPECT_FALSE(ImageSettingsDiffer(stored, renamed));
}

TEST(SettingsChanges, AValueOfAnyTypeReadsAsItsFirstFourBytes) {
  const unsigned char text[] = {'7', '5', 0};
  EXPECT_EQ(FirstFourBytes(text, sizeof text), 0x3537u);
  const unsigned char longer[] = {0xFE, 0xFF, 0xFF, 0xFF, 0x12, 0x34};
  EXPECT_EQ(static_cast<int>(FirstFourBytes(longer, sizeof longer)), -2);
  EXPECT_EQ(FirstFourBytes(longer, 0), 0u);
}

}  // namespace
}  // namespace zt::shell
