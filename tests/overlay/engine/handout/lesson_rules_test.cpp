// Which overlays of the save folder make the lesson going on, and the names the lesson uses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "overlay/engine/handout/lesson_names.h"
#include "overlay/engine/handout/lesson_rules.h"

namespace zt {
namespace {

constexpr std::int64_t kMinute = 60, kGap = 60 * kMinute;

// Minutes after 09:00 of 2026-12-09 name the keys, so a test reads in clock times.
std::string KeyOf(std::int64_t t) {
  const std::int64_t minutes = t / kMinute;
  return LessonKey({2026, 12, 9, 9 + static_cast<int>(minutes / 60), static_cast<int>(minutes % 60), 0});
}

struct FindCase {
  const char* what;
  std::vector<FolderFile> files;  // times in seconds after 09:00
  std::int64_t now;
  std::vector<std::string> pages;  // empty: no lesson goes on
  std::string key, handout;
};

TEST(LessonRules, TheFolderShowsWhichLessonGoesOn) {
  const std::int64_t m = kMinute;
  const std::vector<FindCase> cases = {
      {"nothing saved", {{"notes.txt", 0}}, 10 * m, {}, "", ""},
      {"a run of overlays with short pauses",
       {{"A_Overlaid.jpg", 0}, {"B_Overlaid.JPG", 50 * m}, {"C_Overlaid_001.pdf", 100 * m}},
       110 * m,
       {"A_Overlaid.jpg", "B_Overlaid.JPG", "C_Overlaid_001.pdf"},
       "20261209_0900",
       ""},
      {"a pause of more than the gap splits the run",
       {{"A_Overlaid.jpg", 0}, {"B_Overlaid.jpg", 61 * m}, {"C_Overlaid.tif", 70 * m}},
       80 * m,
       {"B_Overlaid.jpg", "C_Overlaid.tif"},
       "20261209_1001",
       ""},
      {"the newest overlay is older than the gap", {{"A_Overlaid.jpg", 0}}, 61 * m, {}, "", ""},
      {"a clock set back by less than the gap",
       {{"A_Overlaid.jpg", 30 * m}},
       5 * m,
       {"A_Overlaid.jpg"},
       "20261209_0930",
       ""},
      {"an overlay from far in the future carries nothing",
       {{"A_Overlaid.jpg", 0}, {"B_Overlaid.jpg", 500 * m}},
       10 * m,
       {"A_Overlaid.jpg"},
       "20261209_0900",
       ""},
      {"a handout inside the run begins the lesson; its highest number is the file",
       {{"A_Overlaid.jpg", 0},
        {"Lesson_20261209_0920.pdf", 21 * m},
        {"Lesson_20261209_0920_2.pdf", 30 * m},
        {"B_Overlaid.jpg", 20 * m + 30},
        {"C_Overlaid.jpg", 40 * m}},
       45 * m,
       {"B_Overlaid.jpg", "C_Overlaid.jpg"},
       "20261209_0920",
       "Lesson_20261209_0920_2.pdf"},
      {"scans, screenshots and other names are no pages",
       {{"SCAN1.jpg", 0},
        {"SCAN1_Screenshot.jpg", 0},
        {"X_Overlaid.bmp", 0},
        {"X_Overlaid_01.jpg", 0},
        {"X_Overlaid.jpg", 1}},
       2,
       {"X_Overlaid.jpg"},
       "20261209_0900",
       ""},
  };
  for (const FindCase& c : cases) {
    const auto found = FindLesson(c.files, c.now, kGap, KeyOf);
    ASSERT_EQ(found.has_value(), !c.pages.empty()) << c.what;
    if (!found) continue;
    std::vector<std::string> pages;
    for (const FolderFile& f : found->overlays) pages.push_back(f.name);
    EXPECT_EQ(pages, c.pages) << c.what;
    EXPECT_EQ(found->key, c.key) << c.what;
    EXPECT_EQ(found->handout, c.handout) << c.what;
  }
}

TEST(LessonRules, HandoutNamesReadBackAndNeverTakeAnOverlaysName) {
  struct Case {
    const char* name;
    bool handout;
    const char* key;
    int number;
  } const cases[] = {
      {"Lesson_20261209_0915.pdf", true, "20261209_0915", 1},
      {"Lesson_20261209_0915_2.PDF", true, "20261209_0915", 2},
      {"Lesson_20261209_0915_02.pdf", false, "", 0},
      {"Lesson_20261209_0915_1.pdf", false, "", 0},
      {"Lesson_2026120_0915.pdf", false, "", 0},
      {"Lesson_20261209_0915_Overlaid.pdf", false, "", 0},
      {"~Lesson_20261209_0915.pdf.new", false, "", 0},
  };
  for (const Case& c : cases) {
    std::string key;
    int number = 0;
    EXPECT_EQ(ParseHandoutName(c.name, key, number), c.handout) << c.name;
    if (c.handout) {
      EXPECT_EQ(HandoutName(key, number), std::string(c.name).substr(0, strlen(c.name) - 4) + ".pdf");
    }
    EXPECT_EQ(key, c.key) << c.name;
    EXPECT_EQ(number, c.number) << c.name;
    EXPECT_FALSE(IsOverlayName(c.name) && c.handout) << c.name;
  }
  EXPECT_EQ(HandoutTitle("20261209_0915"), "Lesson 2026-12-09 09:15");
  EXPECT_EQ(OutlineTitle({2026, 12, 9, 9, 5, 7}, "SCAN0001"), "09:05:07  SCAN0001");
  EXPECT_EQ(ScanNameOfOverlay("SCAN0001_Overlaid_002.jpg"), "SCAN0001");
}

TEST(LessonRules, AGapIsMeasuredEitherWayAroundTheClock) {
  EXPECT_TRUE(ContinuesLesson(1000, 1000 + kGap, kGap));
  EXPECT_FALSE(ContinuesLesson(1000, 1001 + kGap, kGap));
  EXPECT_TRUE(ContinuesLesson(1000 + kGap, 1000, kGap));  // set back within the gap
  EXPECT_FALSE(ContinuesLesson(1001 + kGap, 1000, kGap));
}

}  // namespace
}  // namespace zt
