// What the scan pipeline needs of the main frame and its neighbours, by meaning: steps the frame
// takes on its own queue, retries a second later, what the user is told or asked, settings,
// screen capture, the open settings dialog, the calibration hint, the scan-flag poll and the drive
// watch's list of known files. How each is done (messages, timers, box styles, captions) is the
// frame's.
#pragma once

#include <cstdint>
#include <string>

#include "overlay/engine/busy.h"
#include "overlay/engine/calibration/calibration_fit.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/settings/settings_values.h"

namespace zt {

// Where a scan came from.
enum class ScanSource : std::uint8_t { Board, SdCard };

// What the pipeline asks the frame to do once the present message is handled.
enum class FrameStep {
  StartDriveWatch,  // a pass of the drive watch over the board's drive
  TakeQueuedScan,   // the queued scan, as a new scan signal
  OpenSettings,     // the settings dialog, showing the current image set
};

// What the pipeline asks to try again a second later, when the frame may be less busy.
enum class Retry {
  DriveWatch,    // the pass that found a scan the frame could not take
  SdScan,        // the card's scan that waits
  WaitingSaves,  // saves kept on this PC until the save folder takes them (a longer while)
};

// What the pipeline tells the user in a box.
enum class Notice {
  LoadFailed,         // the scan or the screenshot could not be made into an image set
  SaveFailed,         // the three files could not all be written
  CalibrationStored,  // "save" of a calibration scan: the values are stored, no file is written
};

// The three files of a save are written: what the lesson needs to know of them.
struct SavedOverlay {
  SettingsValues settings;  // those the save was made with
  std::string overlayPath;
  std::string scanName;          // the scan's file name without folder and extension
  std::int64_t captureTime = 0;  // the screenshot's, seconds since 1970 (UTC)
};

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
  // Ends the dialog because it cannot show the new image set.
  virtual void CloseForLoadFailure() = 0;
  virtual void BringToFront() = 0;
  // Shows values found from a calibration scan; nothing is stored until the user says so.
  virtual void ApplyCalibration(int widthZoom, int heightZoom, int x, int y) = 0;
};

class PipelineHost {
 public:
  virtual ~PipelineHost() = default;

  // Posted: the step comes after the present message.
  virtual void Later(FrameStep step) = 0;
  // The frame's own save of the current image set, before returning.
  virtual void SaveOverlayNow() = 0;
  // The three files are written. What follows from it (the lesson's handout, a word beside the
  // tray icon) comes after the present message, so that it never delays a save.
  virtual void OverlaySaved(const SavedOverlay& saved) = 0;
  // The save folder could not be reached and the three files wait on this PC: the user hears of
  // it beside the tray icon (not in a box on the projected screen), once until they are moved.
  virtual void SaveWaitsForFolder() = 0;
  virtual void RetryLater(Retry what) = 0;
  virtual void CancelRetry(Retry what) = 0;

  // A box with the notice's text; returns once the user has closed it.
  virtual void Tell(Notice notice) = 0;
  // A box saying why a calibration scan was refused.
  virtual void TellCalibrationRefused(CalibrationRefusal why) = 0;
  // The question whether the overlay on show, never saved, is to be saved before the next scan
  // replaces it; true for yes. The box runs a nested message loop.
  virtual bool AskToSaveUnsavedOverlay() = 0;
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
