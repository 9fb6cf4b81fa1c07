// A main frame stand-in for the pipeline's tests: records what the pipeline asks of the frame,
// answers the unsaved-overlay question from a script and hands a save back to the pipeline.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "overlay/engine/pipeline_host.h"
#include "overlay/engine/scan_pipeline.h"
#include "tests/support/test_images.h"

namespace zt::test {

class FakeSettingsDialog final : public SettingsDialogLink {
 public:
  bool HasImages() override { return scanHalf && screenHalf && mask; }
  bool SavedFlag() override { return saved; }
  void SetSavedFlag(bool value) override { saved = value; }
  void SetImages(const DibBlock* a, const DibBlock* b, const DibBlock* c, int sw, int sh, int cw, int ch,
                 bool s) override {
    scanHalf = a;
    screenHalf = b;
    mask = c;
    scanSize = {sw, sh};
    screenSize = {cw, ch};
    saved = s;
    ++imagesHandedOver;
  }
  bool RebuildDisplay(bool redrawNow) override {
    EXPECT_TRUE(redrawNow);
    ++rebuilds;
    return rebuildSucceeds;
  }
  void StoreSettings() override { events.push_back("store"); }
  void CloseForLoadFailure() override { closedForLoadFailure = true; }
  void BringToFront() override { ++broughtToFront; }
  void ApplyCalibration(int widthZoom, int heightZoom, int x, int y) override {
    calibration = {widthZoom, heightZoom, x, y};
    events.push_back("calibration");
  }

  const DibBlock* scanHalf = nullptr;
  const DibBlock* screenHalf = nullptr;
  const DibBlock* mask = nullptr;
  std::pair<int, int> scanSize, screenSize;
  bool saved = false;
  bool rebuildSucceeds = true;
  int imagesHandedOver = 0;
  int rebuilds = 0;
  bool closedForLoadFailure = false;
  int broughtToFront = 0;
  std::vector<int> calibration;  // width zoom, height zoom, x, y of the last calibration shown
  std::vector<std::string> events;
};

// How the fake writes what the user was told or asked.
inline std::string BoxName(Notice notice) {
  switch (notice) {
    case Notice::LoadFailed:
      return "load failed";
    case Notice::SaveFailed:
      return "save failed";
    case Notice::CalibrationStored:
      break;
  }
  return "calibration stored";
}
inline std::string BoxName(CalibrationRefusal why) {
  static const char* const kNames[] = {"none",        "no marks", "all ink", "few marks",
                                       "off pattern", "residual", "range"};
  return std::string("refused: ") + kNames[static_cast<int>(why)];
}
inline constexpr char kUnsavedQuestion[] = "unsaved overlay?";

class FakeHost final : public PipelineHost {
 public:
  void Later(FrameStep step) override { steps.push_back(step); }
  void SaveOverlayNow() override {
    ++savesAsked;
    if (pipeline) pipeline->SaveOverlay();
  }
  void OverlaySaved(const SavedOverlay& saved) override { savedOverlays.push_back(saved.overlayPath); }
  void RetryLater(Retry what) override { retries.push_back(what); }
  void CancelRetry(Retry what) override { cancelled.push_back(what); }
  void SaveWaitsForFolder() override { ++savesWaiting; }

  void Tell(Notice notice) override { Box(BoxName(notice)); }
  void TellCalibrationRefused(CalibrationRefusal why) override { Box(BoxName(why)); }
  bool AskToSaveUnsavedOverlay() override {
    Box(kUnsavedQuestion);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  bool LoadAllSettings(SettingsValues& values) override {
    values = settings;
    return settingsReadable;
  }
  DibPtr CaptureScreenImage() override {
    ++captures;
    if (nextCapture) return std::move(nextCapture);
    return captureWorks ? Filled(screenWidth, screenHeight, Bgr{100, 150, 50}) : nullptr;
  }
  SettingsDialogLink* SettingsDialog() override { return dialog; }
  void HideCalibrationHint() override { ++calibrationHidden; }
  void EndCalibrationPattern() override {
    ++patternsEnded;
    if (pipeline) pipeline->EndCalibration();
  }
  void RearmScanPoll() override { ++rearms; }
  void ForgetKnownFile(const std::string& path) override { forgotten.push_back(path); }
  BusyInputs FrameBusyState() override { return busy; }

  // What each box shown said (BoxName), in order.
  const std::vector<std::string>& BoxTexts() const { return boxes; }

  // Wires the host to a pipeline that has left its start-up pass and saves into saveFolder at once.
  void AttachAutoSaving(CScanPipeline& p, const std::string& saveFolder) {
    pipeline = &p;
    settings.saveFolder = saveFolder;
    settings.autoSave = 1;
    p.EndStartupPass();
  }

  CScanPipeline* pipeline = nullptr;
  FakeSettingsDialog* dialog = nullptr;
  SettingsValues settings;
  bool settingsReadable = true;
  bool captureWorks = true;
  DibPtr nextCapture;  // the screen of the next capture, when a case chooses it
  int screenWidth = 64, screenHeight = 48;
  std::deque<bool> answers;  // to the unsaved-overlay question; no when none is left
  std::function<void()> duringBox;
  BusyInputs busy;

  std::vector<FrameStep> steps;
  std::vector<Retry> retries, cancelled;
  std::vector<std::string> boxes;
  int savesAsked = 0;
  std::vector<std::string> savedOverlays;  // the overlays the host was told of, in order
  std::vector<std::string> forgotten;
  int captures = 0, calibrationHidden = 0, rearms = 0, patternsEnded = 0, savesWaiting = 0;

 private:
  void Box(const std::string& text) {
    boxes.push_back(text);
    if (dialog) dialog->events.push_back("box");
    if (duringBox) duringBox();
  }
};

}  // namespace zt::test
