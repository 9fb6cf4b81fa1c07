#include <gtest/gtest.h>

#include "overlay/engine/displays.h"

namespace zt {
namespace {

TEST(CaptureDisplay, TheChosenDisplayWhenAttachedOtherwiseThePrimaryOne) {
  std::vector<DisplayInfo> displays(2);
  displays[0] = {"\\\\?\\DISPLAY#LCD#1", "Laptop", "\\\\.\\DISPLAY1", 0, 0, 1920, 1080, true};
  displays[1] = {"\\\\?\\DISPLAY#PRJ#2", "Projector", "\\\\.\\DISPLAY2", 1920, 0, 2944, 768, false};

  EXPECT_EQ(CaptureDisplayFor(displays, "\\\\?\\DISPLAY#PRJ#2"), &displays[1]);
  EXPECT_EQ(CaptureDisplayFor(displays, ""), &displays[0]);
  // Unplugged, or only its output name remembered: the primary screen, as without a choice.
  EXPECT_EQ(CaptureDisplayFor(displays, "\\\\?\\DISPLAY#PRJ#9"), &displays[0]);
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
