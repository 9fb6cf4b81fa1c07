#include "overlay/shell/dialogs/win32/calibration_dialog.h"

#include "overlay/shell/resource.h"

namespace zt::shell {

CCalibrationDlg::CCalibrationDlg(CAppSettings& settings) : CCaptionedDlg(IDD_CALIBRATION, settings) {}

void CCalibrationDlg::FillControls() {
  PutCaption(0, caption::kCaptionCalib);
  // The key really ends with a blank: that is how the language files spell it.
  PutCaption(IDC_CALIB_TEXT, caption::kMesCalib);
  PutCaption(IDOK, caption::kClose);
  SendDlgItemMessageA(Hwnd(), IDC_CALIB_ICON, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_INFORMATION)), 0);
}

}  // namespace zt::shell
