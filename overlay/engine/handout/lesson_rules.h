// When a lesson begins and which overlays in the save folder are its pages. Times are seconds
// since 1970 in UTC, so a change to or from summer time changes no gap; names and keys are in
// local time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zt {

// A save continues the lesson when it comes at most gap seconds after the lesson's last save.
// A clock set back by at most the gap continues it too; set back further, the times say nothing
// and a new lesson begins.
bool ContinuesLesson(std::int64_t lastSave, std::int64_t now, std::int64_t gap);

// A file of the save folder: its name and when it was last written.
struct FolderFile {
  std::string name;
  std::int64_t modified = 0;
};

// The lesson that the save folder shows going on at now.
struct FoundLesson {
  std::string key;                   // the lesson's start (see LessonKey)
  std::int64_t lastSave = 0;         // its newest overlay
  std::vector<FolderFile> overlays;  // its pages, oldest first
  std::string handout;               // its handout with the highest number, or empty
};

// Maps a moment to the lesson key of its local time.
using LessonKeyOf = std::function<std::string(std::int64_t)>;

// The lesson going on at now: the overlays that follow one another with no pause longer than
// gap, the newest of them continuing into now. A handout named for a moment within that run
// says a new lesson began there (the command, or a pause the program saw), and the run begins
// at the last such handout. Nothing when no overlay continues into now.
std::optional<FoundLesson> FindLesson(const std::vector<FolderFile>& files, std::int64_t now,
                                      std::int64_t gap, const LessonKeyOf& keyOf);

}  // namespace zt
