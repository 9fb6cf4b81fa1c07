// CSettingsDlg: the settings dialog, ZTLumbrel's one working window. The user picks the save
// folder, auto-save and the size of the saved images, and calibrates the overlay (zoom and offset
// of the scan on the screenshot) on a live preview: by dragging the scan or its edges, with the
// arrow buttons or Alt+arrow keys, or by typing. The frame runs it modally and talks to it
// through SettingsDialogLink; the dialog answers only with messages to the frame.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/win32/dialog.h"
#include "common/win32/gdi_handles.h"
#include "overlay/engine/pipeline_host.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/settings/settings_values.h"
#include "overlay/shell/dialogs/display_switch.h"
#include "overlay/shell/dialogs/preview_geometry.h"
#include "overlay/shell/dialogs/win32/hold_button.h"
#include "overlay/shell/dialogs/win32/preview_painter.h"
#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

struct DialogImages {  // borrowed from the frame, which keeps ownership
  const DibBlock* scanHalf = nullptr;
  const DibBlock* screenHalf = nullptr;
  const DibBlock* scanMask = nullptr;
  int scanWidth = 0, scanHeight = 0;      // the full scan's size; 0 = the screen size
  int screenWidth = 0, screenHeight = 0;  // the full screenshot's size; 0 = GetSystemMetrics
};

class CSettingsDlg : public app::Dialog, public SettingsDialogLink {
 public:
  CSettingsDlg(CAppSettings& settings, HWND frame, const DialogImages& images, bool saved);
  ~CSettingsDlg() override;

  // For the frame's busy test.
  bool Initialised() const { return m_bInitialised; }
  // The OK or cancel question, the folder browser or a save is running. Never true once the
  // dialog has ended, even while one of its message boxes is still unwinding.
  bool InModalStep() const;
  // The values as the controls show them (taken over now).
  SettingsValues CurrentValues();
  // The display chosen in the dialog (stored or not); empty = the primary screen.
  const std::string& ChosenDisplay() const { return m_values.captureDisplay; }

  bool HasImages() override;
  bool SavedFlag() override { return m_bSaved; }
  void SetSavedFlag(bool saved) override { m_bSaved = saved; }
  void SetImages(const DibBlock* scanHalf, const DibBlock* screenHalf, const DibBlock* scanMask,
                 int scanWidth, int scanHeight, int screenWidth, int screenHeight, bool saved) override;
  bool RebuildDisplay(bool redrawNow) override;
  void StoreSettings() override;
  void CloseForLoadFailure() override;
  void BringToFront() override;
  void ApplyCalibration(int widthZoom, int heightZoom, int x, int y) override;
  // Ends the dialog with code (the frame's IDCANCEL at the end of the session).
  void Close(int code);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  void OnDestroy() override;
  bool PreTranslateMessage(MSG& msg) override;
  bool OnQueryEndSession(LRESULT& answer) override;

 private:
  // Opening.
  void SetUpControls();
  void SetCaptions();
  void LoadValues();

  // Values between the members and the controls.
  void TakeOverValues();
  void ShowValues();
  void ShowOffsets();
  int Zoom(int spinId) const;
  void SetZoom(int spinId, int zoom);
  bool SaveValues();

  // Preview.
  void UpdatePreview();
  void PlaceScanNow();
  void RepaintPreview();
  PreviewPicture Picture() const;
  bool PreviewShown() const { return ImagesPresent() && m_bitmaps.Ready(); }

  // Input.
  void OnOffsetEdited(int editId);
  void OnZoomEdited(int editId);
  void Step(int buttonId);
  void OnButtonDown(PixelPoint p);
  void OnMouseMove(PixelPoint p);
  void EndDrag();
  void ApplyDrag(PixelPoint p);
  bool SetPreviewCursor(PixelPoint p);

  // The display choice (display_choice_win32.cpp).
  void FillDisplayChoice();
  void WidenDropDown(HWND list);
  void OnDisplayChosen();
  std::optional<DisplayCalibration> StoredDisplayValues(const std::string& identity) const;

  // Settings an administrator set: their controls greyed, the note shown (or the dialog ends
  // above it).
  void ShowPolicyLocks();
  bool GeometryLocked() const;

  // Buttons.
  void OnCalibrateFromScan();
  void OnBrowse();
  void OnDefaults();
  void OnSaveNow();
  void OnOk();
  void OnCancel();
  void OnWindowPosChanged(const WINDOWPOS& pos);
  int AskYesNo(const Caption& question);
  // False once the dialog has ended or its window is gone: after a nested message loop nothing
  // of the window may be touched then.
  bool Alive() const;
  bool ImagesPresent() const { return m_images.scanHalf && m_images.screenHalf && m_images.scanMask; }

  CAppSettings* m_pSettings;
  HWND m_hFrame;
  DialogImages m_images;
  FullSizes m_sizes;

  // The values the controls stand for (the zooms live in the up-down controls; copies are kept
  // for when the window is gone).
  SettingsValues m_values;  // the seven settings as the controls hold them
  SettingsValues m_stored;  // as the store had them when the dialog opened or last saved
  AdminValues m_policy;     // what the administrator set when the dialog opened
  DisplaySwitch m_displaySwitch;
  struct DisplayEntry {
    std::string identity, name;
  };
  std::vector<DisplayEntry> m_displayChoices;  // each entry of the display list, in its order

  PreviewBitmaps m_bitmaps;
  PreviewLayout m_layout;
  PixelPoint m_previewOffset;
  ScanPlacement m_scan;
  DragStart m_drag;

  bool m_bInitialised = false;
  bool m_bOkRunning = false;
  bool m_bCancelAsking = false;
  bool m_bBrowsing = false;
  bool m_bSaving = false;
  bool m_bSaved = false;
  bool m_bEnded = false;
  bool m_bWritingControls = false;  // our own control updates are no typing
  bool m_bCalibrated = false;       // values from a calibration scan, not yet stored

  app::Font m_font;
  HACCEL m_hAccel = nullptr;  // a resource: freed with the module
  CHoldButton m_arrows[4];
};

}  // namespace zt::shell
