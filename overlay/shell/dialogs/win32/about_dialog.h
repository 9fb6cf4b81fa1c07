// The About window: version, rights notice, and the notices of the image libraries that our
// image-file library is built on. Modeless; closing hides it, and the frame shows the same
// window again on the next about command.
#pragma once

#include "overlay/shell/dialogs/win32/captioned_dialog.h"

namespace zt::shell {

// The notices shown as they are, whatever the language.
extern const char kJpegNotice[];
extern const char kTiffNotice[];

class CAboutDlg : public CCaptionedDlg {
 public:
  explicit CAboutDlg(CAppSettings& settings);

 protected:
  void FillControls() override;
};

}  // namespace zt::shell
