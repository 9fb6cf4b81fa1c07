#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zt::shell
