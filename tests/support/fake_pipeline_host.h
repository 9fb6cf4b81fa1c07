// A main frame stand-in for the pipeline's tests: records what the pipeline asks of the frame,
// answers message boxes from a script and sends UM_SAVEOVERLAY back to the pipeline.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "overlay/engine/frame_messages.h"
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
  void Close(int code) override { closedWith = code; }
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
  int closedWith = -1;
  int broughtToFront = 0;
  std::vector<int> calibration;  // width zoom, height zoom, x, y of the last calibration shown
  std::vector<std::string> events;
};

class FakeHost final : public PipelineHost {
 public:
  void PostFrameMessage(unsigned message) override { posted.push_back(message); }
  void SendFrameMessage(unsigned message) override {
    sent.push_back(message);
    if (message == UM_SAVEOVERLAY && pipeline) pipeline->SaveOverlay();
  }
  void SetFrameTimer(unsigned id, unsigned ms) override { timersSet.push_back({id, ms}); }
  void KillFrameTimer(unsigned id) override { timersKilled.push_back(id); }

  int ShowMessage(const std::string& text, unsigned style) override {
    boxes.push_back({text, style});
    if (dialog) dialog->events.push_back("box");
    if (duringBox) duringBox();
    if (answers.empty()) return 1;  // IDOK
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::string MessageCaption(const char* key, std::size_t bufferSize) override {
    captionBuffers.push_back(bufferSize);
    return captionPrefix + key;
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

  // Texts of the boxes shown, without their styles.
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes) texts.push_back(box.first);
    return texts;
  }

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
  std::string captionPrefix;
  std::deque<int> answers;
  std::function<void()> duringBox;
  BusyInputs busy;

  std::vector<unsigned> posted, sent, timersKilled;
  std::vector<std::pair<unsigned, unsigned>> timersSet;
  std::vector<std::pair<std::string, unsigned>> boxes;
  std::vector<std::size_t> captionBuffers;
  std::vector<std::string> forgotten;
  int captures = 0, calibrationHidden = 0, rearms = 0, patternsEnded = 0;
};

}  // namespace zt::test
