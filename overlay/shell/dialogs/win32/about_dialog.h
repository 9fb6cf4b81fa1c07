// The About window: version, rights notice, and the notices of the image libraries that our
// image-file library is built on. Modeless; closing hides it, and the frame shows the same
// window again on the next about command.
#pragma once

#include "common/win32/dialog.h"
#include "common/win32/gdi_handles.h"
#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

// The notices shown as they are, whatever the language.
extern const char kJpegNotice[];
extern const char kTiffNotice[];

class CAboutDlg : public app::Dialog {
 public:
  explicit CAboutDlg(CAppSettings& settings);
  // The window goes before the font its controls use.
  ~CAboutDlg() override { Destroy(); }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD notifyCode) override;

 private:
  CAppSettings* m_pSettings;
  app::Font m_font;
};

}  // namespace zt::shell
