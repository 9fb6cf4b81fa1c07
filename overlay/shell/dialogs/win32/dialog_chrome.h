// What every ZTLumbrel dialog does as it opens: the language file's font on every control and
// the captions on the title and the controls.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/gdi_handles.h"
#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

// The font logFont describes, its height counted in tenths of a point, made for the screen.
app::Font CreatePointFont(const LOGFONTA& logFont);
// Sends font to every control of dialog, nested ones included.
void ApplyFont(HWND dialog, HFONT font);

// The application title (string 57344), the caption of the program's message boxes.
std::string ApplicationTitle();
// Puts that text on control id, or on the dialog's title when id is 0.
void SetCaption(HWND dialog, int id, const CAppSettings& settings, const Caption& caption);

// Keeps window out of screen captures where the system can (Windows 10 2004 and later): a scan's
// screenshot shows what the user showed, not our windows in front of it.
void ExcludeFromCapture(HWND window);
// Moves window beside owner, on the work area of owner's display, without activating it.
void PlaceBeside(HWND window, HWND owner);

}  // namespace zt::shell
