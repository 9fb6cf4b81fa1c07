// A small modeless window of ZTLumbrel that the frame keeps once made (the About window, the
// calibration hint): out of screen captures, the language file's font on its controls, its
// captions from the language file, and closed by hiding, so that the frame shows the same window
// again rather than making a second one.
#pragma once

#include <windows.h>

#include "common/win32/dialog.h"
#include "common/win32/gdi_handles.h"
#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

class CCaptionedDlg : public app::Dialog {
 public:
  // The window goes before the font its controls use.
  ~CCaptionedDlg() override { Destroy(); }

 protected:
  CCaptionedDlg(int templateId, CAppSettings& settings);

  // Puts the dialog's captions and texts on its controls, once they have their font.
  virtual void FillControls() = 0;
  // Puts the caption's text on control id (0: the title).
  void PutCaption(int id, const Caption& caption) const;

  bool OnInitDialog() final;
  // IDOK and IDCANCEL (the close box too) hide the window.
  bool OnCommand(WORD id, WORD notifyCode) final;

 private:
  CAppSettings* m_pSettings;
  app::Font m_font;
};

}  // namespace zt::shell
