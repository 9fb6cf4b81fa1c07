// The scan pipeline of the main frame: pairs a new scan with its screenshot, builds the image set,
// and either saves at once or hands the set to the settings dialog. Everything runs on the
// frame's user-interface thread; the frame forwards its new-scan and save messages and the two
// retries here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/mbcs_path.h"
#include "overlay/engine/image_set.h"
#include "overlay/engine/outputs/file_system.h"
#include "overlay/engine/outputs/outbox.h"
#include "overlay/engine/outputs/working_copy.h"
#include "overlay/engine/pipeline_host.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/settings/settings_values.h"
#include "overlay/imgfile/image_files.h"

namespace zt {

class CScanPipeline {
 public:
  CScanPipeline(PipelineHost& host, ImageFiles& images, FileSystem& fs, LeadByteTest isLead = SystemLeadByte);
  ~CScanPipeline();
  CScanPipeline(const CScanPipeline&) = delete;
  CScanPipeline& operator=(const CScanPipeline&) = delete;

  // The scan that the next new-scan signal takes, and where it came from. A scan from the card
  // takes the place of one from the card that waits for its retry, and that retry is cancelled.
  void QueueScan(const std::string& path, ScanSource source);
  // The new-scan signal: processes the queued scan. Returns 0.
  long OnNewScan();
  // A scan handled at once, as the signal would handle it once queued. Returns 0.
  long TakeScan(const std::string& path, ScanSource source);
  // The save: writes the three outputs of the current image set. Returns 0.
  long SaveOverlay();

  // Retry::DriveWatch is due: start the drive watch again once the frame is not busy.
  void OnWatchRetry();
  // Retry::SdScan is due: offer a waiting SD scan again.
  void OnSdScanRetry();

  // Saves kept on this PC while the save folder could not be reached move into it now when it
  // takes files again; the frame calls this on Retry::WaitingSaves, and each save does first.
  void DeliverWaitingSaves();
  bool HasWaitingSaves();

  // Replaces the waiting screenshot with a capture of the screen now; true when one was taken.
  bool CaptureScreen();

  bool IsBusy();
  bool HasImageSet() const { return !m_set.Empty(); }
  const ImageSet& Images() const { return m_set; }
  // The image set has been saved since it was made (or the user chose not to).
  bool Saved() const { return m_bSaved != 0; }
  // The question about an unsaved overlay is on the screen.
  bool AskingAboutUnsavedOverlay() const { return m_bMultiScanPrompt != 0; }
  // The first pass after start-up shows the newest scan instead of saving it; it ends with a
  // scan shown, or when the frame finds no scan to show.
  bool InStartupPass() const { return m_bStartupPass != 0; }
  void EndStartupPass() { m_bStartupPass = 0; }
  // At shutdown: drops the image set and the waiting capture and deletes the working copy.
  void ReleaseImages();

  // While the calibration targets are shown, the next scan (from either road) is taken as the
  // calibration scan: the values found from it go to the settings dialog, and it is never saved
  // as an overlay. The frame begins this when it shows the targets and ends it when they go.
  void BeginCalibration() { m_bCalibrating = 1; }
  void EndCalibration() { m_bCalibrating = 0; }

 private:
  struct EarlyScreenshot;

  // Builds a new image set from the waiting screenshot (or a new capture) and the queued scan;
  // true when it is in place. On false the previous set and everything that belongs to it are
  // unchanged.
  bool PrepareImageSet();
  // Builds a new image set and hands it to the open settings dialog.
  void RefreshSettingsDialog();

  // Auto-saving a scan without a dialog: the screenshot's file is begun beside the scan's load.
  void PrepareAndAutoSave();
  void StartEarlyScreenshot(const SettingsValues& settings);
  void AbandonEarlyScreenshot();
  void AskAboutUnsavedOverlay();
  void TakeCalibrationScan();
  // Hands the image set to the open dialog; false when no dialog shows it afterwards.
  bool ShowSetInDialog();
  // The queued scan and its screenshot as a new set beside the current one; the copy holds the
  // scan's working copy until the set is committed.
  bool BuildImageSet(ImageSet& set, PendingWorkingCopy& copy);
  void CommitImageSet(ImageSet& set, PendingWorkingCopy& copy);
  bool TakeScreenshot(ImageSet& set);
  bool LoadScanImage(const std::string& path, ImageSet& set);
  // Writes the three files of the image set into save->settings.saveFolder, with the screenshot
  // already begun when save has a writer; true when all three are written.
  bool WriteSave(EarlyScreenshot& save);
  // The same into a slot of the outbox, for a save folder out of reach.
  bool WriteSaveAside(const SettingsValues& settings);
  void DeliverWaitingSaves(const SettingsValues& settings);
  std::optional<Outbox> OpenOutbox();

  ImageSet m_set;
  DibPtr m_pPendingScreen;  // taken at a scan signal, not yet paired
  std::int64_t m_pendingCaptureTime = 0;

  std::string m_strScanPath;  // the scan to process next
  ScanSource m_nScanSource = ScanSource::Board;
  std::int32_t m_bSdScanWaiting = 0;  // an SD scan waits for its retry
  std::string m_strWorkingCopy;       // the set's scan, copied into the settings folder
  std::uint8_t m_bSaved = 0;
  std::uint8_t m_bProcessing = 0;
  std::uint8_t m_bMultiScanPrompt = 0;
  std::uint8_t m_bStartupPass = 1;
  std::uint8_t m_bCalibrating = 0;
  std::uint8_t m_bCalibrationSet = 0;  // the set is a calibration scan's, never saved as an overlay

  PipelineHost& m_host;
  ImageFiles& m_images;
  FileSystem& m_fs;
  LeadByteTest m_isLead;
  // Within one new scan only: the screenshot being written for the auto-save to come.
  std::unique_ptr<EarlyScreenshot> m_pEarly;
};

}  // namespace zt
