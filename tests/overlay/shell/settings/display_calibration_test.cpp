#include <gtest/gtest.h>

#include <map>

#include "overlay/shell/settings/display_calibration.h"

namespace zt::shell {
namespace {

TEST(DisplayCalibration, StoredTextRoundTripsAndAnythingElseIsNoRecord) {
  const DisplayCalibration projector{1, 57, 183, -300, 4999};
  EXPECT_EQ(FormatDisplayCalibration(projector), "1 57 183 -300 4999");
  EXPECT_EQ(ParseDisplayCalibration(FormatDisplayCalibration(projector)), projector);
  EXPECT_EQ(ParseDisplayCalibration("  0 100 100 0 0  "), DisplayCalibration{});
  const DisplayCalibration extremes{1, 1, 500, -50000, 5000};
  EXPECT_EQ(ParseDisplayCalibration(FormatDisplayCalibration(extremes)), extremes);

  // Not five numbers, or values no dialog could have stored.
  for (const char* garbage : {"", "0 100 100 0", "0 100 100 0 0 7", "0 100 zoom 0 0", "0 100 100 0 0x10",
                              "0 100 100 0 4294967296", "0,100,100,0,0", "2 100 100 0 0", "0 0 100 0 0",
                              "0 100 501 0 0", "0 100 100 -50001 0", "0 100 100 0 5001"})
    EXPECT_FALSE(ParseDisplayCalibration(garbage)) << garbage;
}

TEST(DisplayCalibration, ThePrimaryScreensRecordHasANameNoDisplayCanHave) {
  EXPECT_EQ(DisplayRecordName(""), "Primary screen");
  EXPECT_EQ(DisplayRecordName("\\\\?\\DISPLAY#ABC1234#1&2&0&UID256"), "\\\\?\\DISPLAY#ABC1234#1&2&0&UID256");
  // A display's record carries the geometry only: the folder, auto-save and choice stay.
  SettingsValues values{"C:\\Scans", 0, 0, 100, 100, 0, 0, "\\?\\DISPLAY#A", "Projector"};
  PutCalibration({1, 80, 90, -5, 6}, values);
  EXPECT_EQ(CalibrationOf(values), (DisplayCalibration{1, 80, 90, -5, 6}));
  EXPECT_EQ(values.saveFolder, "C:\\Scans");
  EXPECT_EQ(values.autoSave, 0);
  EXPECT_EQ(values.captureDisplay, "\\?\\DISPLAY#A");
}

TEST(DisplayCalibration, OnceAnotherDisplayWasVisitedEveryVisitedDisplaysRecordIsWritten) {
  const std::string projector = "\\\\?\\DISPLAY#PRJ#1";
  const DisplayCalibration tuned{1, 110, 95, 40, -20};
  SettingsValues primary{"C:\\Scans", 1, 0, 100, 100, 3, 4, "", ""};
  SettingsValues onProjector = primary;
  onProjector.captureDisplay = projector;
  using Records = std::map<std::string, DisplayCalibration>;
  const struct {
    const SettingsValues& values;
    Records others;
    bool storeHasChoice;
    Records written;
  } cases[] = {
      // Never a choice: the store stays as it was.
      {primary, {}, false, {}},
      // The projector calibrated, then back to the primary screen: both are kept.
      {primary, {{projector, tuned}}, false, {{"", {0, 100, 100, 3, 4}}, {projector, tuned}}},
      {onProjector, {{"", tuned}}, false, {{"", tuned}, {projector, {0, 100, 100, 3, 4}}}},
      // The primary screen looked at and left for itself: nothing was chosen.
      {primary, {{"", tuned}}, false, {}},
      // A store with a choice follows the geometry from then on.
      {primary, {}, true, {{"", {0, 100, 100, 3, 4}}}},
  };
  for (const auto& c : cases) EXPECT_EQ(RecordsToWrite(c.values, c.others, c.storeHasChoice), c.written);
}

TEST(DisplayCalibration, ThePrimaryDisplayStandsInWithItsOwnValues) {
  const SettingsValues absentProjector{"C:\\Scans", 1, 1, 150, 75, -20, 35, "\\\\?\\DISPLAY#PRJ#1",
                                       "Projector"};
  const DisplayCalibration own{0, 90, 90, 5, 5}, choice{1, 120, 120, 0, 0};
  EXPECT_EQ(StandInCalibration(absentProjector, own, choice), own);
  EXPECT_EQ(StandInCalibration(absentProjector, std::nullopt, choice), choice);
  // Nothing known of the primary display: no zoom or offset of the absent display, the size choice kept.
  EXPECT_EQ(StandInCalibration(absentProjector, std::nullopt, std::nullopt),
            (DisplayCalibration{1, 100, 100, 0, 0}));
}

}  // namespace
}  // namespace zt::shell
