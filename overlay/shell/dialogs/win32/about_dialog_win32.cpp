#include "overlay/shell/dialogs/win32/about_dialog.h"

#include "overlay/shell/resource.h"

namespace zt::shell {

const char kJpegNotice[] = "This software is based in part on the work of the Independent JPEG Group.";

// The TIFF library's licence asks for its rights lines and permission notice to appear with
// every copy; this is its text, with CRLF line ends for the edit control.
const char kTiffNotice[] =
    "Copyright (c) 1988-1997 Sam Leffler\r\n"
    "Copyright (c) 1991-1997 Silicon Graphics, Inc.\r\n"
    "\r\n"
    "Permission to use, copy, modify, distribute, and sell this software and\r\n"
    "its documentation for any purpose is hereby granted without fee, provided\r\n"
    "that (i) the above copyright notices and this permission notice appear in\r\n"
    "all copies of the software and related documentation, and (ii) the names of\r\n"
    "Sam Leffler and Silicon Graphics may not be used in any advertising or\r\n"
    "publicity relating to the software without the specific, prior written\r\n"
    "permission of Sam Leffler and Silicon Graphics.\r\n"
    "\r\n"
    "THE SOFTWARE IS PROVIDED \"AS-IS\" AND WITHOUT WARRANTY OF ANY KIND,\r\n"
    "EXPRESS, IMPLIED OR OTHERWISE, INCLUDING WITHOUT LIMITATION, ANY\r\n"
    "WARRANTY OF MERCHANTABILITY OR FITNESS FOR A PARTICULAR PURPOSE.\r\n"
    "\r\n"
    "IN NO EVENT SHALL SAM LEFFLER OR SILICON GRAPHICS BE LIABLE FOR\r\n"
    "ANY SPECIAL, INCIDENTAL, INDIRECT OR CONSEQUENTIAL DAMAGES OF ANY KIND,\r\n"
    "OR ANY DAMAGES WHATSOEVER RESULTING FROM LOSS OF USE, DATA OR PROFITS,\r\n"
    "WHETHER OR NOT ADVISED OF THE POSSIBILITY OF DAMAGE, AND ON ANY THEORY OF\r\n"
    "LIABILITY, ARISING OUT OF OR IN CONNECTION WITH THE USE OR PERFORMANCE\r\n"
    "OF THIS SOFTWARE.";

CAboutDlg::CAboutDlg(CAppSettings& settings) : CCaptionedDlg(IDD_ABOUTBOX, settings) {}

void CAboutDlg::FillControls() {
  PutCaption(0, caption::kMesVersion);
  PutCaption(IDC_VERSION_TEXT, caption::kMesVersionNum);
  PutCaption(IDC_COPYRIGHT_TEXT, caption::kMesCopyright);
  PutCaption(IDOK, caption::kOk);
  SetItemText(IDC_IJG_NOTICE, kJpegNotice);
  SetItemText(IDC_LIBTIFF_NOTICE, kTiffNotice);
}

}  // namespace zt::shell
