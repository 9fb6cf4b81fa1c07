// The frame's decisions that need no window: the help page's path and the question before closing.
#include <gtest/gtest.h>

#include <string>

#include "overlay/shell/frame/close_prompt.h"
#include "overlay/shell/frame/help_path.h"
#include "overlay/shell/frame/lesson_words.h"
#include "overlay/shell/settings/caption_keys.h"

namespace zt::shell {
namespace {

TEST(HelpPagePath, IsTheProgramFolderAndTheCaptionOrNothingWhenItWouldNotFit) {
  EXPECT_EQ(HelpPagePath("C:\\Program Files\\Corvane\\Zentab Lumbrel\\", "Help\\ZTLB_help_ja.htm"),
            "C:\\Program Files\\Corvane\\Zentab Lumbrel\\Help\\ZTLB_help_ja.htm");
  const std::string folder = "C:\\" + std::string(200, 'f') + "\\";     // 204 bytes
  EXPECT_EQ(HelpPagePath(folder, std::string(55, 'h'))->size(), 259u);  // 259 and the NUL fit
  EXPECT_FALSE(HelpPagePath(folder, std::string(56, 'h')));             // 260 would be cut
  EXPECT_FALSE(HelpPagePath(folder, std::string(255, 'h')));
  EXPECT_FALSE(HelpPagePath("", "Help\\ZTLB_help.htm"));  // no program folder known
  EXPECT_FALSE(HelpPagePath(folder, ""));
}

TEST(ClosePrompt, AsksTheFirstThatAppliesAndYesDoesWhatItSays) {
  OpenDialogState s;
  EXPECT_EQ(ChooseClosePrompt(s).question, nullptr);

  s.folderSettingsChanged = true;
  ClosePrompt p = ChooseClosePrompt(s);
  EXPECT_EQ(p.question, &caption::kMesSaveInfoNotSaved);
  EXPECT_TRUE(p.yesStoresSettings);
  EXPECT_FALSE(p.yesSavesOverlay);

  s.imageSettingsChanged = true;  // without images: geometry is stored, nothing to save
  p = ChooseClosePrompt(s);
  EXPECT_EQ(p.question, &caption::kMesPositionNotSaved);
  EXPECT_FALSE(p.yesSavesOverlay);
  s.hasImages = true;
  s.saved = true;  // a saved overlay: the new geometry saves it once more
  EXPECT_TRUE(ChooseClosePrompt(s).yesSavesOverlay);

  s.saved = false;  // an unsaved overlay comes before everything else
  p = ChooseClosePrompt(s);
  EXPECT_EQ(p.question, &caption::kMesImageNotSaved);
  EXPECT_TRUE(p.yesStoresSettings && p.yesSavesOverlay);

  OpenDialogState noImages;  // "unsaved" without images is nothing to lose
  noImages.saved = false;
  EXPECT_EQ(ChooseClosePrompt(noImages).question, nullptr);

  // Still opening (a box of its start is up): the empty controls are no change of the user's and
  // must never be stored; an overlay on display is still asked about and saved as stored.
  OpenDialogState opening;
  opening.initialised = false;
  opening.imageSettingsChanged = opening.folderSettingsChanged = true;
  EXPECT_EQ(ChooseClosePrompt(opening).question, nullptr);
  opening.hasImages = true;
  p = ChooseClosePrompt(opening);
  EXPECT_EQ(p.question, &caption::kMesImageNotSaved);
  EXPECT_FALSE(p.yesStoresSettings);
  EXPECT_TRUE(p.yesSavesOverlay);
}

TEST(LessonWords, TheHandoutsNewsStandsInForTheNoteAndNamesFillTheirPlaces) {
  struct Case {
    HandoutResult result;
    bool balloon;
    const Caption* caption;  // null: nothing is said
    std::vector<std::string> names;
  } const cases[] = {
      {HandoutResult::NotCollected, false, nullptr, {}},
      {HandoutResult::NotCollected, true, &caption::kMesSaved, {"SCAN0001"}},
      {HandoutResult::Written, true, &caption::kMesSaved, {"SCAN0001"}},
      {HandoutResult::Written, false, nullptr, {}},
      {HandoutResult::MovedOn,
       false,
       &caption::kMesHandoutMoved,
       {"Lesson_20261209_0915.pdf", "Lesson_20261209_0915_2.pdf"}},
      {HandoutResult::Failed, true, &caption::kMesHandoutFailed, {}},
  };
  for (const Case& c : cases) {
    HandoutOutcome outcome;
    outcome.result = c.result;
    outcome.replaced = "Lesson_20261209_0915.pdf";
    outcome.handout = "D:\\Boards\\Lesson_20261209_0915_2.pdf";
    const auto word = WordAfterSave(outcome, c.balloon, "SCAN0001");
    ASSERT_EQ(word.has_value(), c.caption != nullptr) << static_cast<int>(c.result);
    if (!word) continue;
    EXPECT_EQ(word->caption, c.caption);
    EXPECT_EQ(word->names, c.names);
  }
  EXPECT_EQ(FillIn("%s is open; went on in %s (100%%, %d)", {"a.pdf", "b.pdf"}),
            "a.pdf is open; went on in b.pdf (100%, %d)");
  EXPECT_EQ(FillIn("%s %s %s", {"one"}), "one  ");
}

}  // namespace
}  // namespace zt::shell
