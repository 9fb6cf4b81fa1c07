// The calibration hint: a small modeless window beside the settings dialog that explains how to
// line the scan up with the screen. The frame creates it the first time the settings dialog is
// shown in a run and keeps it; closing it only hides it.
#pragma once

#include "overlay/shell/dialogs/win32/captioned_dialog.h"

namespace zt::shell {

class CCalibrationDlg : public CCaptionedDlg {
 public:
  explicit CCalibrationDlg(CAppSettings& settings);

 protected:
  void FillControls() override;
};

}  // namespace zt::shell
