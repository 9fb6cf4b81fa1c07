#include "overlay/shell/dialogs/win32/calibration_dialog.h"

#include "overlay/shell/resource.h"

namespace zt::shell {

CCalibrationDlg::CCalibrationDlg(CAppSettings& settings) : CCaptionedDlg(IDD_CALIBRATION, settings) {}

void CCalibrationDlg::FillControls() {
  Caption(0, "ID_CAP_CAPTION_CALIB", 64);
  // The key really ends with a blank: that is how the language files spell it.
  Caption(IDC_CALIB_TEXT, "ID_CAP_MES_CALIB ", 1024);
  Caption(IDOK, "ID_CAP_CLOSE", 64);
  SendDlgItemMessageA(Hwnd(), IDC_CALIB_ICON, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_INFORMATION)), 0);
}

}  // namespace zt::shell
