#include "overlay/shell/frame/lesson_words.h"

#include "common/mbcs_path.h"

namespace zt::shell {

std::optional<LessonWord> WordAfterSave(const HandoutOutcome& outcome, bool saveBalloon,
                                        const std::string& scanName) {
  switch (outcome.result) {
    case HandoutResult::MovedOn:
      return LessonWord{&caption::kMesHandoutMoved, {outcome.replaced, FileNameOf(outcome.handout)}};
    case HandoutResult::Failed:
      return LessonWord{&caption::kMesHandoutFailed, {}};
    default:
      break;
  }
  if (!saveBalloon) return std::nullopt;
  return LessonWord{&caption::kMesSaved, {scanName}};
}

std::string FillIn(const std::string& pattern, const std::vector<std::string>& names) {
  std::string text;
  std::size_t used = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && next == 's') {
      if (used < names.size()) text += names[used++];
      ++i;
    } else if (pattern[i] == '%' && next == '%') {
      text += '%';
      ++i;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

}  // namespace zt::shell
