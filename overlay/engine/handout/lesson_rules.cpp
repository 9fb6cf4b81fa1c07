#include "overlay/engine/handout/lesson_rules.h"

#include <algorithm>

#include "overlay/engine/handout/lesson_names.h"

namespace zt {

bool ContinuesLesson(std::int64_t lastSave, std::int64_t now, std::int64_t gap) {
  return now - lastSave <= gap && lastSave - now <= gap;
}

std::optional<FoundLesson> FindLesson(const std::vector<FolderFile>& files, std::int64_t now,
                                      std::int64_t gap, const LessonKeyOf& keyOf) {
  std::vector<FolderFile> overlays;
  for (const FolderFile& f : files)
    if (IsOverlayName(f.name)) overlays.push_back(f);
  std::sort(overlays.begin(), overlays.end(), [](const FolderFile& a, const FolderFile& b) {
    return a.modified != b.modified ? a.modified < b.modified : a.name < b.name;
  });
  // Overlays from the future (a clock set back since) do not carry the lesson.
  while (!overlays.empty() && !ContinuesLesson(overlays.back().modified, now, gap) &&
         overlays.back().modified > now)
    overlays.pop_back();
  if (overlays.empty() || !ContinuesLesson(overlays.back().modified, now, gap)) return std::nullopt;

  std::size_t first = overlays.size() - 1;
  while (first > 0 && overlays[first].modified - overlays[first - 1].modified <= gap) --first;

  FoundLesson lesson;
  lesson.key = keyOf(overlays[first].modified);
  lesson.lastSave = overlays.back().modified;
  const std::string lastKey = keyOf(lesson.lastSave);
  std::string bestKey;
  int bestNumber = 0;
  for (const FolderFile& f : files) {
    std::string key;
    int number = 0;
    if (!ParseHandoutName(f.name, key, number) || key < lesson.key || key > lastKey) continue;
    if (key > bestKey || (key == bestKey && number > bestNumber)) {
      bestKey = key;
      bestNumber = number;
      lesson.handout = f.name;
    }
  }
  if (!bestKey.empty()) lesson.key = bestKey;
  for (std::size_t i = first; i < overlays.size(); ++i)
    if (keyOf(overlays[i].modified) >= lesson.key) lesson.overlays.push_back(overlays[i]);
  return lesson;
}

}  // namespace zt
