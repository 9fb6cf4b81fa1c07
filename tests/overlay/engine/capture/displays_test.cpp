#include <gtest/gtest.h>

#include "overlay/engine/capture/displays.h"

namespace zt {
namespace {

TEST(CaptureDisplay, TheChosenDisplayWhenAttachedOtherwiseThePrimaryOne) {
  std::vector<DisplayInfo> displays(2);
  displays[0] = {"\\\\?\\DISPLAY#LCD#1", "Laptop", "\\\\.\\DISPLAY1", 0, 0, 1920, 1080, true};
  displays[1] = {"\\\\?\\DISPLAY#PRJ#2", "Projector", "\\\\.\\DISPLAY2", 1920, 0, 2944, 768, false};

  EXPECT_EQ(CaptureDisplayFor(displays, "\\\\?\\DISPLAY#PRJ#2"), &displays[1]);
  EXPECT_EQ(CaptureDisplayFor(displays, ""), &displays[0]);
  // Unplugged, or only its output name remembered: the primary screen, as without a choice.
  EXPECT_EQ(CaptureDisplayFor(displays, "\\\\?\\DISPLAY#OLD#9"), &displays[0]);
  EXPECT_EQ(FindDisplay(displays, "\\\\?\\DISPLAY#PRJ#9"), nullptr);
  EXPECT_EQ(FindDisplay(displays, ""), nullptr);

  // The list's order carries no meaning: the primary display is found wherever it stands.
  std::swap(displays[0], displays[1]);
  EXPECT_EQ(CaptureDisplayFor(displays, "")->name, "Laptop");
  EXPECT_EQ(CaptureDisplayFor({}, ""), nullptr);
  EXPECT_EQ(displays[0].Width(), 1024);
  EXPECT_EQ(displays[0].Height(), 768);
}

}  // namespace
}  // namespace zt

namespace zt {
namespace {

TEST(CaptureDisplay, TheSameMonitorOnAnotherConnectorIsTheChosenOne) {
  const std::string projector = "\\\\?\\DISPLAY#PRJ5B09#5&2c03&0&UID4352#{e6f07b5f}";
  std::vector<DisplayInfo> displays(3);
  displays[0] = {
      "\\\\?\\DISPLAY#LCD0001#4&1&0&UID256#{e6f07b5f}", "Laptop", "\\\\.\\DISPLAY1", 0, 0, 1920, 1080, true};
  displays[1] = {"\\\\?\\display#prj5b09#7&99&0&UID8#{e6f07b5f}",
                 "Projector",
                 "\\\\.\\DISPLAY3",
                 1920,
                 0,
                 2944,
                 768,
                 false};
  displays[2] = {"\\\\?\\DISPLAY#Default_Monitor#4&5&0&UID9#{e6f07b5f}",
                 "Generic",
                 "\\\\.\\DISPLAY2",
                 -800,
                 0,
                 0,
                 600,
                 false};
  const struct {
    std::string identity;
    const DisplayInfo* found;
  } cases[] = {
      {projector, &displays[1]},             // moved to another connector: the same projector
      {displays[0].identity, &displays[0]},  // attached as it was
      {"\\\\?\\DISPLAY#PRJ9999#5&2c03&0&UID4352#{e6f07b5f}", nullptr},  // another model
      // A monitor that did not say what it is matches no other such monitor.
      {"\\\\?\\DISPLAY#Default_Monitor#1&2&0&UID1#{e6f07b5f}", nullptr},
      {"\\\\.\\DISPLAY3", nullptr},  // an output name only
      {"", nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(FindChosenDisplay(displays, c.identity), c.found) << c.identity;
  EXPECT_EQ(DisplayHardware(projector), "PRJ5B09");
  EXPECT_EQ(CaptureDisplayFor(displays, projector), &displays[1]);

  // Two of that make and model attached: no telling which was meant, so neither.
  displays[2].identity = "\\\\?\\DISPLAY#PRJ5B09#7&99&0&UID9#{e6f07b5f}";
  EXPECT_EQ(FindChosenDisplay(displays, projector), nullptr);
  EXPECT_EQ(CaptureDisplayFor(displays, projector), &displays[0]);
}

}  // namespace
}  // namespace zt
