// What the scan pipeline needs of the main frame and its neighbours: messages and timers of the
// frame window, message boxes, captions, settings, screen capture, the open settings dialog, the
// calibration hint, the scan-flag poll and the drive watch's list of known files.
#pragma once

#include <cstddef>
#include <string>

#include "overlay/engine/busy.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/settings/settings_values.h"

namespace zt {

// The open settings dialog as the pipeline sees it.
class SettingsDialogLink {
 public:
  virtual ~SettingsDialogLink() = default;

  // True when the dialog holds all three half-size images.
  virtual bool HasImages() = 0;
  virtual bool SavedFlag() = 0;
  virtual void SetSavedFlag(bool saved) = 0;
  // Hands over a new image set: the three half-size blocks are borrowed (the frame keeps them),
  // the sizes are those of the full scan and the full screenshot.
  virtual void SetImages(const DibBlock* scanHalf, const DibBlock* screenHalf, const DibBlock* scanMask,
                         int scanWidth, int scanHeight, int screenWidth, int screenHeight, bool saved) = 0;
  // Remakes the preview bitmaps; false when they cannot be made.
  virtual bool RebuildDisplay(bool redrawNow) = 0;
  // Writes the dialog's current values to the settings store.
  virtual void StoreSettings() = 0;
  virtual void Close(int code) = 0;
  virtual void BringToFront() = 0;
  // Shows values found from a calibration scan; nothing is stored until the user says so.
  virtual void ApplyCalibration(int widthZoom, int heightZoom, int x, int y) = 0;
};

class PipelineHost {
 public:
  virtual ~PipelineHost() = default;

  virtual void PostFrameMessage(unsigned message) = 0;
  // Runs the frame's handler before returning (the frame's SendMessage to itself).
  virtual void SendFrameMessage(unsigned message) = 0;
  virtual void SetFrameTimer(unsigned id, unsigned milliseconds) = 0;
  virtual void KillFrameTimer(unsigned id) = 0;

  // Shows a message box and returns the button chosen.
  virtual int ShowMessage(const std::string& text, unsigned style) = 0;
  // The text of key in section "Message" of the caption file, read into a buffer of bufferSize.
  virtual std::string MessageCaption(const char* key, std::size_t bufferSize) = 0;
  // The seven settings; false when the geometry could not be read (the store has told the user).
  // Every value is filled either way, the unreadable ones with their defaults.
  virtual bool LoadAllSettings(SettingsValues& values) = 0;

  // A capture of the chosen display (the primary screen when none is chosen), or null.
  virtual DibPtr CaptureScreenImage() = 0;
  // Takes the calibration targets off the screen; the pipeline has its calibration scan.
  virtual void EndCalibrationPattern() = 0;

  // The open settings dialog, or null.
  virtual SettingsDialogLink* SettingsDialog() = 0;
  // Hides the calibration hint if it is open.
  virtual void HideCalibrationHint() = 0;

  // Clears the scan flag and restarts the 100 ms scan poll while a board drive is published.
  virtual void RearmScanPoll() = 0;
  // Drops path from the drive watch's known files, so that its next pass reports it again.
  virtual void ForgetKnownFile(const std::string& path) = 0;

  // The frame's share of the busy test (dialog state and exit flags).
  virtual BusyInputs FrameBusyState() = 0;
};

}  // namespace zt
