#include <gtest/gtest.h>

#include <map>

#include "overlay/shell/dialogs/display_label.h"
#include "overlay/shell/dialogs/display_switch.h"

namespace zt::shell {
namespace {

const std::string kProjector = "\\\\?\\DISPLAY#PRJ0001#5&1&0&UID4352";
const std::string kSideScreen = "\\\\?\\DISPLAY#LCD0002#5&1&0&UID4353";

TEST(DisplaySwitch, EachDisplayBringsBackItsOwnValues) {
  std::map<std::string, DisplayCalibration> store{{kProjector, {1, 64, 70, -120, 35}}};
  int storeReads = 0;
  DisplaySwitch displays([&](const std::string& identity) -> std::optional<DisplayCalibration> {
    ++storeReads;
    const auto found = store.find(identity);
    if (found == store.end()) return std::nullopt;
    return found->second;
  });
  SettingsValues values{"C:\\Scans", 1, 0, 100, 100, 10, 20, "", ""};  // the primary screen's, as loaded

  displays.Choose(values, kProjector, "Projector");
  EXPECT_EQ(CalibrationOf(values), (DisplayCalibration{1, 64, 70, -120, 35}));
  EXPECT_EQ(values.captureDisplay, kProjector);
  EXPECT_EQ(values.captureDisplayName, "Projector");
  EXPECT_EQ(values.saveFolder, "C:\\Scans");

  // Tuned here, then another display that never had values: what is on show stays on show.
  values.widthZoom = 66;
  displays.Choose(values, kSideScreen, "Side screen");
  EXPECT_EQ(CalibrationOf(values), (DisplayCalibration{1, 66, 70, -120, 35}));

  // Back to the primary screen and to the projector: the values they had in this dialog, not
  // the store's.
  values.x = 1;
  displays.Choose(values, "", "");
  EXPECT_EQ(CalibrationOf(values), (DisplayCalibration{0, 100, 100, 10, 20}));
  const int readsSoFar = storeReads;
  displays.Choose(values, kProjector, "Projector");
  EXPECT_EQ(CalibrationOf(values), (DisplayCalibration{1, 66, 70, -120, 35}));
  EXPECT_EQ(storeReads, readsSoFar);

  // Choosing the display already chosen changes nothing.
  values.y = 3;
  displays.Choose(values, kProjector, "Projector");
  EXPECT_EQ(values.y, 3);

  // What is kept for the displays left: everything shown but the chosen one.
  const std::map<std::string, DisplayCalibration> left = displays.Left(kProjector);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left.at(""), (DisplayCalibration{0, 100, 100, 10, 20}));
  EXPECT_EQ(left.at(kSideScreen), (DisplayCalibration{1, 66, 70, 1, 35}));
}

TEST(DisplayLabel, NameAndSizeFillTheTranslatorsPatternAndNothingElseIsInterpreted) {
  EXPECT_EQ(DisplayLabel("%s - %d x %d", "Projector 2", 1024, 768), "Projector 2 - 1024 x 768");
  EXPECT_EQ(DisplayLabel("%d x %d: %s", "LCD", 1920, 1080), "1920 x 1080: LCD");
  EXPECT_EQ(DisplayLabel("%s (not connected)", "Projector", 0, 0), "Projector (not connected)");
  // A third number, printf's other conversions and a name holding a pattern stay as written.
  EXPECT_EQ(DisplayLabel("%d %d %d %n %x %", "x", 1, 2), "1 2 %d %n %x %");
  EXPECT_EQ(DisplayLabel("%s", "%s %d", 5, 6), "%s %d");
}

TEST(DisplayLabel, DisplaysOfOneNameAreToldApartByTheirOutput) {
  std::vector<DisplayInfo> displays(3);
  displays[0] = {"\\\\?\\DISPLAY#A#1", "Generic Monitor", "\\\\.\\DISPLAY1", 0, 0, 1920, 1080, true};
  displays[1] = {"\\\\?\\DISPLAY#P#2", "Projector", "\\\\.\\DISPLAY2", 1920, 0, 2944, 768, false};
  displays[2] = {"\\\\?\\DISPLAY#A#3", "Generic Monitor", "\\\\.\\DISPLAY12", -800, 0, 0, 600, false};
  EXPECT_EQ(DistinctDisplayNames(displays),
            (std::vector<std::string>{"Generic Monitor (1)", "Projector", "Generic Monitor (12)"}));
  displays.pop_back();
  EXPECT_EQ(DistinctDisplayNames(displays), (std::vector<std::string>{"Generic Monitor", "Projector"}));
}

}  // namespace
}  // namespace zt::shell
