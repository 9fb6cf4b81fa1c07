#include "overlay/shell/frame/win32/lesson_desk.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "overlay/shell/frame/lesson_words.h"

namespace zt::shell {

namespace {

constexpr std::int64_t kSecondsPerMinute = 60;

void Open(const std::string& path) {
  ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

CLessonDesk::CLessonDesk(CAppSettings& settings, ImageFiles& images, Balloon balloon, Box box)
    : m_pFolder(MakeSystemLessonFolder()),
      m_pClock(MakeSystemLessonClock()),
      m_settings(settings),
      m_book(*m_pFolder, images, *m_pClock),
      m_balloon(std::move(balloon)),
      m_box(std::move(box)) {}

void CLessonDesk::OnSavedOverlays() {
  while (!m_saved.empty()) {
    const SavedOverlay saved = m_saved.front();
    m_saved.pop_front();
    const SettingsValues& s = saved.settings;
    const HandoutOutcome outcome =
        m_book.OnOverlaySaved({s.saveFolder, saved.overlayPath, saved.scanName, saved.captureTime},
                              s.lessonHandout == 1, s.lessonGapMinutes * kSecondsPerMinute);
    if (m_bQuiet) continue;
    if (const auto word = WordAfterSave(outcome, s.saveBalloon == 1, saved.scanName))
      m_balloon(FillIn(m_settings.CaptionText(*word->caption), word->names), s.saveFolder);
  }
}

void CLessonDesk::Finish() {
  m_bQuiet = true;
  OnSavedOverlays();
}

void CLessonDesk::StartNewLesson() {
  m_book.StartNewLesson();
  m_balloon(m_settings.CaptionText(caption::kMesNewLesson), std::string());
}

void CLessonDesk::OpenSaveFolder() {
  SettingsValues values;
  m_settings.ReadIniSettings(values);
  Open(values.saveFolder);
}

void CLessonDesk::OpenHandout() {
  SettingsValues values;
  m_settings.ReadIniSettings(values);
  const HandoutOutcome outcome =
      m_book.HandoutToView(values.saveFolder, values.lessonGapMinutes * kSecondsPerMinute);
  switch (outcome.result) {
    case HandoutResult::Empty:
      m_box(m_settings.CaptionText(caption::kMesHandoutEmpty));
      return;
    case HandoutResult::Failed:
      m_box(m_settings.CaptionText(caption::kMesHandoutFailed));
      return;
    default:
      break;
  }
  if (const auto word = WordAfterSave(outcome, false, std::string()))
    m_balloon(FillIn(m_settings.CaptionText(*word->caption), word->names), values.saveFolder);
  Open(outcome.handout);
}

}  // namespace zt::shell
