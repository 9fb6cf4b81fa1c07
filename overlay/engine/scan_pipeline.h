// The scan pipeline of the main frame: pairs a new scan with its screenshot, builds the image set,
// and either saves at once or hands the set to the settings dialog. Everything runs on the
// frame's user-interface thread; the frame forwards UM_NEWSCAN, UM_SAVEOVERLAY and timers 100
// and 104 here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/mbcs_path.h"
#include "overlay/engine/dib_block.h"
#include "overlay/engine/file_system.h"
#include "overlay/engine/ink_cells.h"
#include "overlay/engine/pipeline_host.h"
#include "overlay/engine/settings_values.h"
#include "overlay/imgfile/image_files.h"

namespace zt {

class CScanPipeline {
 public:
  CScanPipeline(PipelineHost& host, ImageFiles& images, FileSystem& fs, LeadByteTest isLead = SystemLeadByte);
  ~CScanPipeline();
  CScanPipeline(const CScanPipeline&) = delete;
  CScanPipeline& operator=(const CScanPipeline&) = delete;

  // UM_NEWSCAN: process m_strScanPath from m_nScanSource. Returns 0.
  long OnNewScan();
  // UM_SAVEOVERLAY: writes the three outputs of the current image set. Returns 0.
  long SaveOverlay();
  // Builds a new image set from m_pPendingScreen (or a new capture) and m_strScanPath; true when
  // it is in place. On false the previous set and everything that belongs to it are unchanged.
  bool PrepareImageSet();
  // Builds a new image set and hands it to the open settings dialog.
  void RefreshSettingsDialog();

  // Timer 100: start the drive watch again once the frame is not busy.
  void OnWatchRetryTimer();
  // Timer 104: offer a waiting SD scan again.
  void OnSdScanRetryTimer();

  // Replaces the waiting screenshot with a capture of the screen now; true when one was taken.
  bool CaptureScreen();

  bool IsBusy();
  bool HasImageSet() const { return m_pScan != nullptr; }
  // At shutdown: drops the image set and the waiting capture and deletes the working copy.
  void ReleaseImages();

  // Image set: all five present or all null, replaced only as a whole.
  DibPtr m_pScan;           // full scan, turned to landscape
  DibPtr m_pScanHalf;       // scan at width/2 x height/2
  DibPtr m_pScanMask;       // half size: white where the scan has ink, black elsewhere
  DibPtr m_pScreen;         // the screenshot paired with the scan
  DibPtr m_pScreenHalf;     // the screenshot at 50 percent
  DibPtr m_pPendingScreen;  // taken at a scan signal, not yet paired
  InkCells m_scanInk;       // where m_pScan holds ink; replaced with the image set

  std::string m_strScanPath;          // the scan to process next
  std::int32_t m_nScanSource = 0;     // 0 = board drive, 1 = wireless SD card
  std::int32_t m_bSdScanWaiting = 0;  // an SD scan waits for timer 104
  std::string m_strLastScanPath;      // the scan of the current image set
  std::string m_strWorkingCopy;       // its byte copy in the settings folder
  std::uint16_t m_wResX = 0;          // dots per inch, from the scan load
  std::uint16_t m_wResY = 0;
  std::int32_t m_nPageOffsetX = 0;  // points, from the scan load
  std::int32_t m_nPageOffsetY = 0;
  std::uint8_t m_bSaved = 0;
  std::uint8_t m_bProcessing = 0;
  std::uint8_t m_bMultiScanPrompt = 0;
  std::uint8_t m_bStartupPass = 1;

 private:
  struct NewImageSet;
  struct EarlyScreenshot;

  // Auto-saving a scan without a dialog: the screenshot's file is begun beside the scan's load.
  void PrepareAndAutoSave();
  void StartEarlyScreenshot(const SettingsValues& settings);
  void AbandonEarlyScreenshot();
  void AskAboutUnsavedOverlay();
  bool TakeScreenshot(NewImageSet& set);
  bool LoadScanImage(const std::string& path, NewImageSet& set);
  void Notify(const char* key, std::size_t bufferSize);

  PipelineHost& m_host;
  ImageFiles& m_images;
  FileSystem& m_fs;
  LeadByteTest m_isLead;
  // Within one UM_NEWSCAN only: the screenshot being written for the auto-save to come.
  std::unique_ptr<EarlyScreenshot> m_pEarly;
};

// The scan sources.
inline constexpr std::int32_t kScanFromBoard = 0;
inline constexpr std::int32_t kScanFromSdCard = 1;

}  // namespace zt
