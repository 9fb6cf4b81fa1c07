// The lessons of the running program: which lesson each saved overlay belongs to, its pages, and
// its handout in the save folder, appended to after each save when the handout is collected and
// built from the lesson's overlays when the user asks for it. The handout is always extra: what
// goes wrong with it is reported here and never touches the saved files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "overlay/engine/handout/lesson_clock.h"
#include "overlay/engine/handout/lesson_folder.h"
#include "overlay/imgfile/image_files.h"

namespace zt {

// An overlay that a save has just written.
struct SavedPage {
  std::string saveFolder;   // as the settings name it
  std::string overlayPath;  // in that folder
  std::string scanName;     // the scan's name without its folder and extension
  std::int64_t captureTime = 0;
};

// What became of the handout.
enum class HandoutResult {
  NotCollected,  // the handout is not collected; the page is only counted to the lesson
  Written,       // the handout holds every page of the lesson
  MovedOn,       // it does, in a new file: the old one could not be replaced (told once per lesson)
  Failed,        // the handout could not be written; the pages not in it go in with the next
  Empty,         // (for viewing) the lesson has no overlay in the save folder
};

struct HandoutOutcome {
  HandoutResult result = HandoutResult::NotCollected;
  std::string handout;   // path of the handout now, for Written and MovedOn
  std::string replaced;  // for MovedOn: the name of the file that could not be replaced
};

class LessonBook {
 public:
  LessonBook(LessonFolder& folder, ImageFiles& images, LessonClock& clock);

  // The next saved overlay begins a new lesson.
  void StartNewLesson() { m_newLessonAsked = true; }
  // A save has written saved.overlayPath. collect: the handout is collected; gap: seconds of pause
  // after which a save begins a new lesson. Saves come in the order they were made.
  HandoutOutcome OnOverlaySaved(const SavedPage& saved, bool collect, std::int64_t gap);
  // The handout to open for the present lesson, with every page of it: the pages it lacks are
  // added first (all of them where there is no handout yet).
  HandoutOutcome HandoutToView(const std::string& saveFolder, std::int64_t gap);

 private:
  struct Page {
    std::string overlay;  // name in the save folder
    std::string outline;
  };
  struct Lesson {
    std::string key;
    std::int64_t lastSave = 0;
    std::vector<Page> pages;
    std::size_t pagesInHandout = 0;  // the first ones; the rest wait for the next write
    std::string handout;             // name of its file, once written or found
    bool toldMovedOn = false;
  };

  // What the save folder shows of the lesson going on, unless the folder was read already. Of an
  // overlay just saved, neither it nor the ones saved after it (still to come) count yet.
  void Resume(const std::string& saveFolder, std::int64_t now, std::int64_t gap,
              const std::string& justSaved);
  // A lesson named for moment (the first page's capture, so that its overlay never predates it).
  void Begin(std::int64_t now, std::int64_t moment);
  void AddPage(const std::string& name, const std::string& outline);
  HandoutOutcome WriteHandout(const std::string& saveFolder);
  std::string FreeHandoutName(const std::string& folder, const std::string& key);
  bool WriteBeside(const std::string& folder, const std::string& target, const std::string& head,
                   const std::string& tail, std::string& temp);

  LessonFolder& m_folder;
  ImageFiles& m_images;
  LessonClock& m_clock;
  std::string m_resumedFolder;  // the save folder the lesson was looked up in
  bool m_resumed = false;
  bool m_newLessonAsked = false;
  std::optional<Lesson> m_lesson;
};

}  // namespace zt
