// CLessonDesk: the lesson as the tray program shows it. It takes each save's overlay after the
// save's own message is done, adds it to the lesson's handout when the user collects one, and
// says so beside the tray icon; it opens the save folder and the handout, and begins a new lesson.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "overlay/engine/handout/lesson_book.h"
#include "overlay/engine/pipeline_host.h"
#include "overlay/imgfile/image_files.h"
#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

class CLessonDesk {
 public:
  // balloon(text, folder): a word beside the tray icon, whose click opens folder (none when empty).
  using Balloon = std::function<void(const std::string& text, const std::string& folder)>;
  // box(text): a box the user closes.
  using Box = std::function<void(const std::string& text)>;

  CLessonDesk(CAppSettings& settings, ImageFiles& images, Balloon balloon, Box box);

  // A save's three files are written; OnSavedOverlays takes it up later.
  void Queue(const SavedOverlay& saved) { m_saved.push_back(saved); }
  void OnSavedOverlays();
  // At the end: the saves still queued go into the handout, without a word.
  void Finish();

  void StartNewLesson();
  void OpenSaveFolder();
  void OpenHandout();

 private:
  std::unique_ptr<LessonFolder> m_pFolder;
  std::unique_ptr<LessonClock> m_pClock;
  CAppSettings& m_settings;
  LessonBook m_book;
  Balloon m_balloon;
  Box m_box;
  std::deque<SavedOverlay> m_saved;
  bool m_bQuiet = false;
};

}  // namespace zt::shell
