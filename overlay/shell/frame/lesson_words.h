// What the tray icon says after a save, and the names put into a caption's "%s" places.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "overlay/engine/handout/lesson_book.h"
#include "overlay/shell/settings/caption_keys.h"

namespace zt::shell {

struct LessonWord {
  const Caption* caption;
  std::vector<std::string> names;  // for its "%s" places, in order
};

// News of the handout (it moved to a new file, or could not be written) comes whether or not the
// note after each save is wanted, and stands in its place; otherwise the note names the scan.
std::optional<LessonWord> WordAfterSave(const HandoutOutcome& outcome, bool saveBalloon,
                                        const std::string& scanName);

// pattern with each "%s" in turn replaced by the next of names (by nothing once they are used
// up) and "%%" by "%"; any other "%" stays as it is. A caption is never used as a format string.
std::string FillIn(const std::string& pattern, const std::vector<std::string>& names);

}  // namespace zt::shell
