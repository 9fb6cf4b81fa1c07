// The calibration hint: a small modeless window beside the settings dialog that explains how to
// line the scan up with the screen. The frame creates it the first time the settings dialog is
// shown in a run and keeps it; closing it only hides it.
#pragma once

#include "common/win32/dialog.h"
#include "common/win32/gdi_handles.h"
#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

class CCalibrationDlg : public app::Dialog {
 public:
  explicit CCalibrationDlg(CAppSettings& settings);
  // The window goes before the font its controls use.
  ~CCalibrationDlg() override { Destroy(); }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD notifyCode) override;

 private:
  CAppSettings* m_pSettings;
  app::Font m_font;
};

}  // namespace zt::shell
