#include "overlay/engine/handout/lesson_book.h"

#include <algorithm>

#include "common/ansi_text.h"
#include "common/mbcs_path.h"
#include "overlay/engine/handout/handout_document.h"
#include "overlay/engine/handout/lesson_rules.h"

namespace zt {

namespace {

// An empty folder or one ending in "/" takes the name as it is; any other gets a backslash unless
// it ends with one.
std::string Join(const std::string& folder, const std::string& name) {
  return (folder.empty() || folder.back() == '/' ? folder : WithBackslash(folder)) + name;
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
  const auto saved =
      std::find_if(files.begin(), files.end(), [&](const FolderFile& f) { return f.name == justSaved; });
  if (saved != files.end()) {
    const std::int64_t savedAt = saved->modified;
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const FolderFile& f) {
                                 return f.name == justSaved ||
                                        (IsOverlayName(f.name) && f.modified > savedAt);
                               }),
                files.end());
  }
  const std::optional<FoundLesson> found =
      FindLesson(files, now, gap, [this](std::int64_t t) { return LessonKey(m_clock.Local(t)); });
  if (!found) return;
  Lesson lesson;
  lesson.key = found->key;
  lesson.lastSave = found->lastSave;
  lesson.handout = found->handout;
  // The handout names the overlays it holds: those pages come first, in its order.
  std::vector<std::string> inHandout;
  std::string bytes;
  if (!lesson.handout.empty() && m_folder.Read(Join(saveFolder, lesson.handout), bytes))
    CheckHandout(bytes, lesson.key, &inHandout);
  auto outline = [this](const FolderFile& overlay) {
    return AnsiToUtf8(OutlineTitle(m_clock.Local(overlay.modified), ScanNameOfOverlay(overlay.name)));
  };
  for (const std::string& name : inHandout) {
    const auto it = std::find_if(found->overlays.begin(), found->overlays.end(),
                                 [&](const FolderFile& f) { return f.name == name; });
    lesson.pages.push_back(
        {name, it != found->overlays.end() ? outline(*it) : AnsiToUtf8(ScanNameOfOverlay(name))});
  }
  lesson.pagesInHandout = lesson.pages.size();
  m_lesson = std::move(lesson);
  // Waiting for the handout: the overlays saved after its last page. One saved before it and not
  // in it belongs to the lesson before (begun in the same minute) or could not be made a page.
  std::int64_t lastInHandout = -1;
  for (const FolderFile& overlay : found->overlays)
    if (std::find(inHandout.begin(), inHandout.end(), overlay.name) != inHandout.end())
      lastInHandout = std::max(lastInHandout, overlay.modified);
  for (const FolderFile& overlay : found->overlays)
    if (overlay.modified > lastInHandout) AddPage(overlay.name, outline(overlay));
}

void LessonBook::Begin(std::int64_t now, std::int64_t moment) {
  m_lesson = Lesson{};
  m_lesson->key = LessonKey(m_clock.Local(moment));
  m_lesson->lastSave = now;
}

// A page once: an overlay that is a page already keeps its place in the handout, or moves to the
// end while it is not in it yet.
void LessonBook::AddPage(const std::string& name, const std::string& outline) {
  std::vector<Page>& pages = m_lesson->pages;
  const auto known =
      std::find_if(pages.begin(), pages.end(), [&](const Page& p) { return p.overlay == name; });
  if (known != pages.end()) {
    if (static_cast<std::size_t>(known - pages.begin()) < m_lesson->pagesInHandout) return;
    pages.erase(known);
  }
  pages.push_back({name, outline});
}

HandoutOutcome LessonBook::OnOverlaySaved(const SavedPage& saved, bool collect, std::int64_t gap) try {
  const std::int64_t now = m_clock.Now();
  const std::string name = FileNameOf(saved.overlayPath);
  Resume(saved.saveFolder, now, gap, name);
  if (m_newLessonAsked || !m_lesson || !ContinuesLesson(m_lesson->lastSave, now, gap))
    Begin(now, saved.captureTime > 0 ? std::min(saved.captureTime, now) : now);
  m_newLessonAsked = false;
  m_lesson->lastSave = now;
  AddPage(name, AnsiToUtf8(OutlineTitle(m_clock.Local(saved.captureTime), saved.scanName)));
  if (!collect) return {};
  return WriteHandout(saved.saveFolder);
} catch (const std::exception&) {
  return {HandoutResult::Failed, std::string(), std::string()};  // out of memory, say: the save stands
}

HandoutOutcome LessonBook::HandoutToView(const std::string& saveFolder, std::int64_t gap) try {
  Resume(saveFolder, m_clock.Now(), gap, std::string());
  HandoutOutcome outcome;
  if (!m_lesson || m_lesson->pages.empty()) {
    outcome.result = HandoutResult::Empty;
    return outcome;
  }
  return WriteHandout(saveFolder);
} catch (const std::exception&) {
  return {HandoutResult::Failed, std::string(), std::string()};
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
bool LessonBook::WriteBeside(const std::string& folder, const std::string& target, const std::string& head,
                             const std::string& tail, std::string& temp) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    temp = Join(folder, "~" + target + (attempt ? "." + std::to_string(attempt) : std::string()) + ".new");
    if (m_folder.WriteNew(temp, head, tail)) return true;
    if (!m_folder.Exists(temp)) return false;  // the write itself failed
  }
  return false;
}

HandoutOutcome LessonBook::WriteHandout(const std::string& saveFolder) {
  Lesson& lesson = *m_lesson;
  HandoutOutcome outcome;
  outcome.result = HandoutResult::Failed;
  std::string target = lesson.handout, base, replaced;
  bool replacing = false;  // the lesson's own file, found whole: replaced by its new version
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
    } else {
      replacing = true;
      if (lesson.pagesInHandout > 0) base = std::move(found);  // appended to
    }
  }
  if (replacing && lesson.pagesInHandout == lesson.pages.size()) {
    outcome.result = HandoutResult::Written;  // nothing to add
    outcome.handout = Join(saveFolder, target);
    return outcome;
  }
  if (target.empty()) target = FreeHandoutName(saveFolder, lesson.key);
  if (target.empty()) return outcome;

  std::vector<HandoutPage> pages;
  for (std::size_t i = lesson.pagesInHandout; i < lesson.pages.size(); ++i) {
    const std::string overlay = Join(saveFolder, lesson.pages[i].overlay);
    if (m_folder.Exists(overlay))
      pages.push_back({overlay, lesson.pages[i].overlay, lesson.pages[i].outline});
  }
  if (base.empty() && pages.empty()) return outcome;  // no overlay of the lesson is left to make a page of
  std::string bytes, temp;
  bool appended = false;  // bytes follow base (an incremental update) rather than replace it
  std::vector<std::string> skipped;
  // A failure here leaves the pages waiting for the next write.
  if (!ComposeHandout(base, {lesson.key, HandoutTitle(lesson.key)}, pages, m_folder, m_images, bytes,
                      appended, skipped) ||
      !WriteBeside(saveFolder, target, appended ? base : bytes, appended ? bytes : std::string(), temp))
    return outcome;
  const std::string path = Join(saveFolder, target);
  if (!(replacing ? m_folder.Replace(temp, path) : m_folder.RenameToNew(temp, path))) {
    // Held open by a program that locks it (or a file came by that name meanwhile): the whole new
    // version goes on in a new file.
    const std::string next = FreeHandoutName(saveFolder, lesson.key);
    if (next.empty() || !m_folder.RenameToNew(temp, Join(saveFolder, next))) {
      m_folder.Remove(temp);
      return outcome;
    }
    if (replacing) replaced = target;
    target = next;
  }
  // Overlays gone or not made into pages stay out for good; the rest are in, in order.
  std::vector<Page> kept(lesson.pages.begin(),
                         lesson.pages.begin() + static_cast<long>(lesson.pagesInHandout));
  for (const HandoutPage& page : pages)
    if (std::find(skipped.begin(), skipped.end(), page.name) == skipped.end())
      kept.push_back({page.name, page.outline});
  lesson.pages = std::move(kept);
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
