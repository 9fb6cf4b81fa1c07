#include "overlay/engine/handout/lesson_book.h"

#include <algorithm>

#include "common/ansi_text.h"
#include "common/mbcs_path.h"
#include "overlay/engine/handout/handout_document.h"
#include "overlay/engine/handout/lesson_rules.h"

namespace zt {

namespace {

// A folder's last byte may be the second of a double-byte character that looks like a
// backslash.
std::string Join(const std::string& folder, const std::string& name) {
  const bool separated = folder.empty() || EndsWithBackslash(folder) || folder.back() == '/';
  return separated ? folder + name : folder + "\\" + name;
}

}  // namespace

LessonBook::LessonBook(LessonFolder& folder, ImageFiles& images, LessonClock& clock)
    : m_folder(folder), m_images(images), m_clock(clock) {}

void LessonBook::Resume(const std::string& saveFolder, std::int64_t now, std::int64_t gap,
                        const std::string& justSaved) {
  if (m_resumed && m_resumedFolder == saveFolder) return;
  m_resumed = true;
  m_resumedFolder = saveFolder;
  m_lesson.reset();
  std::vector<FolderFile> files;
  if (!m_folder.List(saveFolder, files)) return;
  files.erase(
      std::remove_if(files.begin(), files.end(), [&](const FolderFile& f) { return f.name == justSaved; }),
      files.end());
  const std::optional<FoundLesson> found =
      FindLesson(files, now, gap, [this](std::int64_t t) { return LessonKey(m_clock.Local(t)); });
  if (!found) return;
  Lesson lesson;
  lesson.key = found->key;
  lesson.lastSave = found->lastSave;
  lesson.handout = found->handout;
  std::int64_t handoutWritten = 0;
  for (const FolderFile& f : files)
    if (f.name == found->handout) handoutWritten = f.modified;
  for (const FolderFile& overlay : found->overlays) {
    lesson.pages.push_back({overlay.name, AnsiToUtf8(OutlineTitle(m_clock.Local(overlay.modified),
                                                                  ScanNameOfOverlay(overlay.name)))});
    // A found handout holds the overlays written before it was.
    if (!lesson.handout.empty() && overlay.modified <= handoutWritten)
      lesson.pagesInHandout = lesson.pages.size();
  }
  m_lesson = std::move(lesson);
}

void LessonBook::Begin(std::int64_t now) {
  m_lesson = Lesson{};
  m_lesson->key = LessonKey(m_clock.Local(now));
  m_lesson->lastSave = now;
}

HandoutOutcome LessonBook::OnOverlaySaved(const SavedPage& saved, bool collect, std::int64_t gap) {
  const std::int64_t now = m_clock.Now();
  const std::string name = FileNameOf(saved.overlayPath);
  Resume(saved.saveFolder, now, gap, name);
  if (m_newLessonAsked || !m_lesson || !ContinuesLesson(m_lesson->lastSave, now, gap)) Begin(now);
  m_newLessonAsked = false;
  m_lesson->lastSave = now;
  m_lesson->pages.push_back(
      {name, AnsiToUtf8(OutlineTitle(m_clock.Local(saved.captureTime), saved.scanName))});
  if (!collect) return {};
  return WriteHandout(saved.saveFolder);
}

HandoutOutcome LessonBook::HandoutToView(const std::string& saveFolder, bool collect, std::int64_t gap) {
  Resume(saveFolder, m_clock.Now(), gap, std::string());
  HandoutOutcome outcome;
  if (!m_lesson || m_lesson->pages.empty()) {
    outcome.result = HandoutResult::Empty;
    return outcome;
  }
  Lesson& lesson = *m_lesson;
  const std::string path = Join(saveFolder, lesson.handout);
  if (collect && !lesson.handout.empty() && lesson.pagesInHandout == lesson.pages.size() &&
      m_folder.Exists(path)) {
    outcome.result = HandoutResult::Written;
    outcome.handout = path;
    return outcome;
  }
  // Built again whole: overlays saved while the handout was not collected are in the folder only.
  lesson.pagesInHandout = 0;
  return WriteHandout(saveFolder);
}

std::string LessonBook::FreeHandoutName(const std::string& folder, const std::string& key) {
  for (int number = 1; number < 10000; ++number) {
    const std::string name = HandoutName(key, number);
    if (!m_folder.Exists(Join(folder, name))) return name;
  }
  return std::string();
}

// The new version goes into a file of its own beside the handout first, so that the handout is
// only ever replaced whole.
bool LessonBook::WriteBeside(const std::string& folder, const std::string& target, const std::string& bytes,
                             std::string& temp) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    temp = Join(folder, "~" + target + (attempt ? "." + std::to_string(attempt) : std::string()) + ".new");
    if (m_folder.WriteNew(temp, bytes)) return true;
    if (!m_folder.Exists(temp)) return false;  // the write itself failed
  }
  return false;
}

HandoutOutcome LessonBook::WriteHandout(const std::string& saveFolder) {
  Lesson& lesson = *m_lesson;
  HandoutOutcome outcome;
  outcome.result = HandoutResult::Failed;
  std::string target = lesson.handout, base, replaced;
  if (!target.empty()) {
    const std::string path = Join(saveFolder, target);
    std::string found;
    const bool exists = m_folder.Exists(path);
    const bool ours =
        exists && m_folder.Read(path, found) && CheckHandout(found, lesson.key) == HandoutCheck::Ours;
    if (exists && !ours) {
      // Damaged, foreign or unreadable: never overwritten, the lesson goes on in a new file.
      replaced = target;
      target.clear();
      lesson.pagesInHandout = 0;
    } else if (!exists) {
      lesson.pagesInHandout = 0;  // gone: made again whole
    } else if (lesson.pagesInHandout > 0) {
      base = std::move(found);  // appended to
    }
  }
  if (target.empty()) target = FreeHandoutName(saveFolder, lesson.key);
  if (target.empty()) return outcome;

  std::vector<HandoutPage> pages;
  for (std::size_t i = lesson.pagesInHandout; i < lesson.pages.size(); ++i) {
    const std::string overlay = Join(saveFolder, lesson.pages[i].overlay);
    if (m_folder.Exists(overlay)) pages.push_back({overlay, lesson.pages[i].outline});
  }
  std::string bytes, temp;
  if (!ComposeHandout(base, {lesson.key, HandoutTitle(lesson.key)}, pages, m_folder, m_images, bytes)) {
    // A page that cannot be made would fail every later write too: it stays out.
    lesson.pagesInHandout = lesson.pages.size();
    return outcome;
  }
  if (!WriteBeside(saveFolder, target, bytes, temp)) return outcome;
  const std::string path = Join(saveFolder, target);
  const bool placed = m_folder.Exists(path) ? m_folder.Replace(temp, path) : m_folder.RenameToNew(temp, path);
  if (!placed) {
    // Held open by a program that locks it: the whole new version goes on in a new file.
    const std::string next = FreeHandoutName(saveFolder, lesson.key);
    if (next.empty() || !m_folder.RenameToNew(temp, Join(saveFolder, next))) {
      m_folder.Remove(temp);
      return outcome;
    }
    replaced = target;
    target = next;
  }
  lesson.handout = target;
  lesson.pagesInHandout = lesson.pages.size();
  outcome.handout = Join(saveFolder, target);
  outcome.result = HandoutResult::Written;
  if (!replaced.empty() && !lesson.toldMovedOn) {
    lesson.toldMovedOn = true;
    outcome.result = HandoutResult::MovedOn;
    outcome.replaced = replaced;
  }
  return outcome;
}

}  // namespace zt
