#include "overlay/engine/scan_pipeline.h"

#include <ctime>

#include "overlay/engine/calibration/calibration_fit.h"
#include "overlay/engine/outputs/outputs.h"
#include "overlay/engine/outputs/working_copy.h"
#include "overlay/engine/pixels/compose.h"
#include "overlay/engine/pixels/resample.h"
#include "overlay/engine/pixels/scan_image.h"
#include "overlay/engine/pixels/worker_pool.h"

namespace zt {

// The plan and the writer of an auto-save whose screenshot was begun before the scan was loaded.
struct CScanPipeline::EarlyScreenshot {
  SettingsValues settings;
  OutputPlan plan;
  std::unique_ptr<OutputWriter> writer;
};

CScanPipeline::CScanPipeline(PipelineHost& host, ImageFiles& images, FileSystem& fs, LeadByteTest isLead)
    : m_host(host), m_images(images), m_fs(fs), m_isLead(isLead) {}

CScanPipeline::~CScanPipeline() = default;

bool CScanPipeline::IsBusy() {
  BusyInputs state = m_host.FrameBusyState();
  state.processing = m_bProcessing != 0;
  return zt::IsBusy(state);
}

void CScanPipeline::QueueScan(const std::string& path, ScanSource source) {
  // A scan from the card takes the place of one from the card that waits for its retry.
  if (source == ScanSource::SdCard && m_nScanSource == ScanSource::SdCard && m_bSdScanWaiting == 1) {
    m_bSdScanWaiting = 0;
    m_host.CancelRetry(Retry::SdScan);
  }
  m_nScanSource = source;
  m_strScanPath = path;
}

long CScanPipeline::TakeScan(const std::string& path, ScanSource source) {
  QueueScan(path, source);
  return OnNewScan();
}

long CScanPipeline::OnNewScan() {
  // A question about the unsaved overlay is on screen: this scan is dropped.
  if (m_bMultiScanPrompt) {
    m_pPendingScreen.reset();
    m_host.RearmScanPoll();
    if (SettingsDialogLink* dialog = m_host.SettingsDialog()) dialog->BringToFront();
    return 0;
  }

  // The frame cannot take the scan now: hand it back so that it comes again in a second.
  if (IsBusy()) {
    if (m_nScanSource == ScanSource::SdCard) {
      m_bSdScanWaiting = 1;
      m_host.RetryLater(Retry::SdScan);
    } else {
      m_host.ForgetKnownFile(m_strScanPath);
      m_host.RetryLater(Retry::DriveWatch);
    }
    return 0;
  }

  m_bProcessing = 1;
  if (m_nScanSource == ScanSource::SdCard) m_bSdScanWaiting = 0;  // the waiting scan is taken now

  if (m_bCalibrating && m_host.SettingsDialog()) {
    m_bStartupPass = 0;  // a scan is shown: the start-up pass has nothing left to show
    TakeCalibrationScan();
  } else if (m_bStartupPass) {
    // The first pass after start-up shows the newest scan instead of saving it.
    if (PrepareImageSet()) {
      m_host.Later(FrameStep::OpenSettings);
      m_bStartupPass = 0;
    }
  } else {
    m_host.HideCalibrationHint();
    if (SettingsDialogLink* dialog = m_host.SettingsDialog()) {
      if (dialog->HasImages() && !dialog->SavedFlag())
        AskAboutUnsavedOverlay();
      else
        RefreshSettingsDialog();
    } else {
      PrepareAndAutoSave();
    }
  }

  m_bProcessing = 0;
  m_host.RearmScanPoll();
  return 0;
}

void CScanPipeline::PrepareAndAutoSave() {
  // Auto-save comes from the INI file, which always reads; a registry failure has been shown to
  // the user and leaves the geometry at its defaults, so the choice stands either way. Read
  // before the load, the settings let an auto-save begin its screenshot beside it.
  SettingsValues settings;
  const bool readable = m_host.LoadAllSettings(settings);
  if (readable && settings.autoSave == 1) {
    DeliverWaitingSaves(settings);  // before this save's names are chosen
    StartEarlyScreenshot(settings);
  }
  if (PrepareImageSet()) {
    if (settings.autoSave == 1)
      m_host.SaveOverlayNow();
    else
      m_host.Later(FrameStep::OpenSettings);
  }
  AbandonEarlyScreenshot();  // one that the save did not take
}

void CScanPipeline::StartEarlyScreenshot(const SettingsValues& settings) {
  // Only the screenshot taken at the scan's signal: a capture now is the load's to make.
  if (!m_pPendingScreen) return;
  auto early = std::make_unique<EarlyScreenshot>();
  early->settings = settings;
  if (!PlanOutputNames(m_fs, settings, m_strScanPath, early->plan, m_isLead)) return;  // the save reports it
  // The screen block keeps its address when the image set takes it over.
  early->writer = std::make_unique<OutputWriter>(m_images, m_fs, early->plan, *m_pPendingScreen);
  if (!early->writer->Start()) return;
  m_pEarly = std::move(early);
}

void CScanPipeline::AbandonEarlyScreenshot() {
  // Before the screen it writes can go: the writer waits for its worker and removes its file.
  m_pEarly.reset();
}

void CScanPipeline::AskAboutUnsavedOverlay() {
  m_bMultiScanPrompt = 1;
  m_bProcessing = 0;
  m_host.RearmScanPoll();
  // The box runs a nested message loop; the flag keeps further scans from starting a pass. The
  // loop may also close the program's dialogs (the end of the session), so the dialog is looked
  // up again once the box returns. Without it, Yes still saves the image set as stored.
  const bool save = m_host.AskToSaveUnsavedOverlay();
  SettingsDialogLink* dialog = m_host.SettingsDialog();
  if (save) {
    if (dialog) dialog->StoreSettings();
    SaveOverlay();
  } else {
    if (dialog) dialog->SetSavedFlag(true);
    m_bSaved = 1;
  }
  m_bMultiScanPrompt = 0;
}

void CScanPipeline::RefreshSettingsDialog() {
  // PrepareImageSet may show a box, whose message loop may end the dialog: look it up after.
  if (!PrepareImageSet()) return;
  ShowSetInDialog();
}

bool CScanPipeline::ShowSetInDialog() {
  SettingsDialogLink* dialog = m_host.SettingsDialog();
  if (!dialog) return false;
  dialog->SetImages(m_set.scanHalf.get(), m_set.screenHalf.get(), m_set.scanMask.get(), m_set.scan->Width(),
                    m_set.scan->Height(), m_set.screen->Width(), m_set.screen->Height(), m_bSaved != 0);
  const bool shown = dialog->RebuildDisplay(true);
  if (!shown) {
    dialog->CloseForLoadFailure();
    m_host.Tell(Notice::LoadFailed);
  }
  // The close and the box's loop may have ended it; bring to front only a dialog still open.
  if (SettingsDialogLink* open = m_host.SettingsDialog()) open->BringToFront();
  return shown && m_host.SettingsDialog() != nullptr;
}

void CScanPipeline::TakeCalibrationScan() {
  // The targets go before any box: nothing may stand between the user and a question, and the
  // next scan is an ordinary one again.
  m_bCalibrating = 0;
  m_host.EndCalibrationPattern();
  // An overlay on show that was never saved is not replaced unasked, calibration or not: the
  // question comes as for any scan, and this scan is dropped.
  SettingsDialogLink* dialog = m_host.SettingsDialog();
  if (dialog->HasImages() && !dialog->SavedFlag()) {
    AskAboutUnsavedOverlay();
    return;
  }
  ImageSet set;
  PendingWorkingCopy copy(m_fs, m_isLead);
  if (!BuildImageSet(set, copy)) {
    m_host.Tell(Notice::LoadFailed);
    return;
  }
  const CalibrationResult fit =
      CalibrateFromScan(*set.scan, set.scanInk, set.screen->Width(), set.screen->Height());
  if (fit.refusal != CalibrationRefusal::None) {
    copy.Drop();
    m_host.TellCalibrationRefused(fit.refusal);
    return;
  }
  CommitImageSet(set, copy);
  // The scan is the calibration's, never an overlay: nothing of it waits to be saved.
  m_bSaved = 1;
  m_bCalibrationSet = 1;
  if (!ShowSetInDialog()) return;
  if (SettingsDialogLink* open = m_host.SettingsDialog())
    open->ApplyCalibration(fit.widthZoom, fit.heightZoom, fit.x, fit.y);
}

bool CScanPipeline::CaptureScreen() {
  m_pPendingScreen.reset();
  m_pPendingScreen = m_host.CaptureScreenImage();
  m_pendingCaptureTime = static_cast<std::int64_t>(std::time(nullptr));
  return m_pPendingScreen != nullptr;
}

bool CScanPipeline::TakeScreenshot(ImageSet& set) {
  if (!m_pPendingScreen) CaptureScreen();
  if (!m_pPendingScreen) return false;
  set.screen = std::move(m_pPendingScreen);
  set.captureTime = m_pendingCaptureTime;
  return true;
}

bool CScanPipeline::LoadScanImage(const std::string& path, ImageSet& set) {
  ScanLoad load;
  TurnedScan turned;
  if (m_images.LoadScan(path, load) < 0 || !load.dib) return false;
  const std::optional<LoadedDibLayout> layout = ReadLoadedDib(load.dib.Get());
  if (!layout) return false;
  if (layout->bitsPerPixel == 1) {
    DibPtr expanded = ExpandMonochrome(*layout);
    load.dib.Reset();
    if (!expanded || !TurnScan(ViewOf(*expanded), turned)) return false;
  } else {
    const bool ok = TurnScan(ViewOfLoaded(*layout), turned);
    load.dib.Reset();
    if (!ok) return false;
  }
  set.scan = std::move(turned.scan);
  set.scanHalf = std::move(turned.half);
  set.scanMask = std::move(turned.mask);
  set.scanInk = std::move(turned.ink);
  set.resX = load.resX;
  set.resY = load.resY;
  set.pageOffsetX = load.pageOffsetX;
  set.pageOffsetY = load.pageOffsetY;
  return true;
}

bool CScanPipeline::PrepareImageSet() {
  // The new set is built aside; the set and the working copy change only once all of it exists.
  ImageSet set;
  // The working copy is kept only with the new set and taken back (the previous copy in its
  // place again) when the set fails.
  PendingWorkingCopy copy(m_fs, m_isLead);
  if (!BuildImageSet(set, copy)) {
    AbandonEarlyScreenshot();
    m_host.Tell(Notice::LoadFailed);
    return false;
  }
  CommitImageSet(set, copy);
  return true;
}

bool CScanPipeline::BuildImageSet(ImageSet& set, PendingWorkingCopy& copy) {
  bool loaded = false;
  if (TakeScreenshot(set)) {
    // The screenshot's half is made on a worker while the scan is copied, loaded and turned here.
    bool halved = false;
    WorkerPool::Task half = EngineWorkers().Start([&] {
      halved = ScaleByPercent(set.screen->Width(), set.screen->Height(), *set.screen, 50, set.screenHalf);
    });
    // The scan file is read once, into the working copy, and the image is loaded from that copy:
    // the original saved beside the overlay is then the image that was loaded, even when the
    // board or the card rewrites its file meanwhile.
    loaded = copy.Begin(m_strScanPath, m_strWorkingCopy) && LoadScanImage(copy.Path(), set);
    half.Wait();
    loaded = loaded && halved;
  }
  if (!loaded) {
    copy.Drop();
    return false;
  }
  set.scanPath = m_strScanPath;
  return true;
}

void CScanPipeline::CommitImageSet(ImageSet& set, PendingWorkingCopy& copy) {
  copy.Keep(m_strWorkingCopy);
  m_set = std::move(set);
  m_bSaved = 0;
  m_bCalibrationSet = 0;
}

long CScanPipeline::SaveOverlay() {
  // An auto-save of this new scan has its settings, names and screenshot from before the load.
  std::unique_ptr<EarlyScreenshot> early = std::move(m_pEarly);
  auto fail = [&] {
    early.reset();  // a begun screenshot goes before the box is up
    m_host.Tell(Notice::SaveFailed);
    return 0;
  };
  if (!HasImageSet()) return fail();
  if (m_bCalibrationSet) {
    // A calibration scan is never saved as an overlay; the dialog has stored the settings. The
    // user is told so, or the button would seem to have done nothing.
    if (SettingsDialogLink* dialog = m_host.SettingsDialog()) dialog->SetSavedFlag(true);
    m_host.Tell(Notice::CalibrationStored);
    return 0;
  }

  if (!early) {
    early = std::make_unique<EarlyScreenshot>();
    if (!m_host.LoadAllSettings(early->settings)) return fail();
    // Saves that waited for the folder go in first: its names and the lesson keep their order.
    // (An auto-save with its screenshot begun had them go before its names were chosen.)
    DeliverWaitingSaves(early->settings);
  }
  const SettingsValues settings = early->settings;
  const bool written = WriteSave(*early);
  const OutputPlan plan = early->plan;
  early.reset();
  // A share out of reach for a while: the files wait on this PC rather than being lost. A folder
  // that cannot be there, or one that is there and refuses the files, fails as it always did.
  const bool away =
      !written && m_fs.MayBeOffline(settings.saveFolder) && !m_fs.IsDirectory(settings.saveFolder);
  const bool aside = away && WriteSaveAside(settings);
  if (!written && !aside) return fail();
  if (SettingsDialogLink* dialog = m_host.SettingsDialog()) dialog->SetSavedFlag(true);
  m_bSaved = 1;
  if (aside) {
    m_host.SaveWaitsForFolder();
    m_host.RetryLater(Retry::WaitingSaves);
  } else {
    m_host.OverlaySaved({settings, plan.paths.overlaid, plan.scanName, m_set.captureTime});
  }
  return 0;
}

bool CScanPipeline::WriteSave(EarlyScreenshot& save) {
  OutputPlan& plan = save.plan;
  if (!save.writer && !PlanOutputNames(m_fs, save.settings, m_set.scanPath, plan, m_isLead)) return false;
  if (!PlanRegions(save.settings, *m_set.screen, *m_set.scan, plan)) return false;
  if (!save.writer) {
    save.writer = std::make_unique<OutputWriter>(m_images, m_fs, plan, *m_set.screen);
    if (!save.writer->Start()) return false;
  }

  OutputSources sources;
  sources.screen = m_set.screen.get();
  sources.scan = m_set.scan.get();
  sources.workingCopy = m_strWorkingCopy;
  sources.resX = m_set.resX;
  sources.resY = m_set.resY;
  sources.pageOffsetX = m_set.pageOffsetX;
  sources.pageOffsetY = m_set.pageOffsetY;
  // The screenshot is encoded on a worker while the overlay is composed here.
  DibPtr overlay;
  if (!ComposeOverlay(*m_set.screen, *m_set.scan, m_set.scanInk, plan.saveImageSize, plan.screenRegion,
                      plan.scanRegion, overlay))
    return false;
  sources.overlay = overlay.get();
  const bool written = save.writer->Finish(sources);
  overlay.reset();
  save.writer.reset();
  return written;
}

bool CScanPipeline::WriteSaveAside(const SettingsValues& settings) {
  std::optional<Outbox> outbox = OpenOutbox();
  const std::optional<std::string> slot = outbox ? outbox->OpenSlot(m_set.captureTime) : std::nullopt;
  if (!slot) return false;
  EarlyScreenshot aside;
  aside.settings = settings;
  aside.settings.saveFolder = *slot;
  if (WriteSave(aside)) return true;
  outbox->DropSlot(*slot);  // a full disk here too: nothing is left half-written
  return false;
}

std::optional<Outbox> CScanPipeline::OpenOutbox() {
  std::string folder;
  if (!EnsureSettingsFolder(m_fs, folder)) return std::nullopt;
  return Outbox(m_fs, folder + "\\" + kOutboxFolderName, m_isLead);
}

bool CScanPipeline::HasWaitingSaves() {
  std::optional<Outbox> outbox = OpenOutbox();
  return outbox && outbox->HasWaiting();
}

void CScanPipeline::DeliverWaitingSaves() {
  if (!HasWaitingSaves()) return;
  SettingsValues settings;
  // Settings that cannot be read now may be readable at the next look.
  if (!m_host.LoadAllSettings(settings))
    m_host.RetryLater(Retry::WaitingSaves);
  else
    DeliverWaitingSaves(settings);
}

void CScanPipeline::DeliverWaitingSaves(const SettingsValues& settings) {
  std::optional<Outbox> outbox = OpenOutbox();
  if (!outbox || !outbox->HasWaiting()) return;
  // Each one that arrives counts as saved now, for the lesson too.
  for (const DeliveredSave& save : outbox->Deliver(settings.saveFolder))
    m_host.OverlaySaved({settings, save.overlayPath, save.scanName, save.captureTime});
  if (outbox->HasWaiting())
    m_host.RetryLater(Retry::WaitingSaves);
  else
    m_host.CancelRetry(Retry::WaitingSaves);
}

void CScanPipeline::OnWatchRetry() {
  m_host.CancelRetry(Retry::DriveWatch);
  if (IsBusy())
    m_host.RetryLater(Retry::DriveWatch);
  else
    m_host.Later(FrameStep::StartDriveWatch);
}

void CScanPipeline::OnSdScanRetry() {
  m_host.CancelRetry(Retry::SdScan);
  if (m_nScanSource == ScanSource::SdCard && m_bSdScanWaiting == 1)
    m_host.Later(FrameStep::TakeQueuedScan);
  else
    m_bSdScanWaiting = 0;
}

void CScanPipeline::ReleaseImages() {
  const bool hadSet = HasImageSet();
  m_set = ImageSet{};
  m_pPendingScreen.reset();
  if (hadSet && !m_strWorkingCopy.empty() && m_fs.Exists(m_strWorkingCopy)) m_fs.RemoveFile(m_strWorkingCopy);
}

}  // namespace zt
