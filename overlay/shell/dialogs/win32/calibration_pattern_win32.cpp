#include "overlay/shell/dialogs/win32/calibration_pattern.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/win32/physical_pixels.h"
#include "overlay/engine/calibration/calibration_targets.h"
#include "overlay/shell/frame/frame_messages.h"

namespace zt::shell {

namespace {

constexpr COLORREF kTargetColour = RGB(200, 0, 0);
constexpr COLORREF kTextColour = RGB(40, 40, 40);

bool RegisterPatternClass(WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kCalibrationPatternClass;
  return RegisterClassA(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A ring with a cross through its centre, and the target's number above and to its right.
void PaintTarget(HDC dc, int x, int y, int radius, int number, HFONT numberFont) {
  SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  Ellipse(dc, x - radius, y - radius, x + radius + 1, y + radius + 1);
  MoveToEx(dc, x - 2 * radius, y, nullptr);
  LineTo(dc, x + 2 * radius + 1, y);
  MoveToEx(dc, x, y - 2 * radius, nullptr);
  LineTo(dc, x, y + 2 * radius + 1);
  char text[8];
  std::snprintf(text, sizeof text, "%d", number);
  const HGDIOBJ previous = SelectObject(dc, numberFont);
  TextOutA(dc, x + radius + radius / 2, y - 2 * radius, text, static_cast<int>(std::strlen(text)));
  SelectObject(dc, previous);
}

}  // namespace

CCalibrationPattern::CCalibrationPattern(HWND frame, std::string instruction, const LOGFONTA& font)
    : m_hFrame(frame), m_strInstruction(std::move(instruction)), m_logFont(font) {}

CCalibrationPattern::~CCalibrationPattern() {
  m_bOwnerEnds = true;
  if (m_hWnd) DestroyWindow(m_hWnd);
}

void CCalibrationPattern::AskFrameToEnd() const {
  if (m_hFrame) PostMessageA(m_hFrame, UM_ENDCALIBRATION, 0, 0);
}

bool CCalibrationPattern::Show(const DisplayInfo& display) {
  if (m_hWnd || !RegisterPatternClass(WindowProc)) return false;
  // Made in physical pixels, the window covers the display exactly whatever its scaling.
  const app::PhysicalPixels physical;
  m_hWnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCalibrationPatternClass, "", WS_POPUP,
                           display.left, display.top, display.Width(), display.Height(), nullptr, nullptr,
                           GetModuleHandleA(nullptr), this);
  if (!m_hWnd) return false;
  ShowWindow(m_hWnd, SW_SHOW);
  // In front of other topmost windows too (a presentation may keep its slide on top): the
  // screenshot of the calibration scan must show the targets.
  SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(m_hWnd);
  SetFocus(m_hWnd);
  UpdateWindow(m_hWnd);
  return true;
}

LRESULT CALLBACK CCalibrationPattern::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CCalibrationPattern*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (self) self->Paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && self) self->AskFrameToEnd();
      return 0;
    // Alt+F4 or a close from outside: the frame ends the calibration and takes the window away,
    // so that the next scan is an ordinary one again.
    case WM_CLOSE:
      if (self) self->AskFrameToEnd();
      return 0;
    // The display's size or arrangement changed: marks drawn on the old pattern would be fitted
    // against targets of another size.
    case WM_DISPLAYCHANGE:
      if (self) self->AskFrameToEnd();
      break;
    case WM_NCDESTROY:
      if (self) {
        // Destroyed by anyone but its owner: the calibration must not outlive its targets.
        if (!self->m_bOwnerEnds) self->AskFrameToEnd();
        self->m_hWnd = nullptr;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void CCalibrationPattern::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int width = client.right;
  const int height = client.bottom;
  const int radius = height / 40 > 6 ? height / 40 : 6;

  LOGFONTA numberLook = m_logFont;
  numberLook.lfHeight = -2 * radius;
  numberLook.lfWeight = FW_BOLD;
  const app::Font numberFont(CreateFontIndirectA(&numberLook));
  const app::Pen pen(CreatePen(PS_SOLID, radius / 6 > 2 ? radius / 6 : 2, kTargetColour));
  const HGDIOBJ previousPen = SelectObject(dc, pen.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kTargetColour);
  const std::vector<TargetPoint> targets = CalibrationTargets(width, height);
  for (std::size_t i = 0; i < targets.size(); ++i)
    PaintTarget(dc, static_cast<int>(targets[i].x + 0.5), static_cast<int>(targets[i].y + 0.5), radius,
                static_cast<int>(i + 1), numberFont.Get());
  SelectObject(dc, previousPen);

  // The instruction between the upper targets and above the centre one, in the largest type
  // that lets all of it fit there.
  const RECT box{width / 5, height / 16, width - width / 5, height / 2 - 3 * radius};
  SetTextColor(dc, kTextColour);
  for (int size = height / 30 > 12 ? height / 30 : 12;; --size) {
    LOGFONTA textLook = m_logFont;
    textLook.lfHeight = -size;
    const app::Font textFont(CreateFontIndirectA(&textLook));
    const HGDIOBJ previousFont = SelectObject(dc, textFont.Get());
    RECT needed = box;
    DrawTextA(dc, m_strInstruction.c_str(), -1, &needed,
              DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    const bool fits = needed.bottom <= box.bottom || size <= 8;
    if (fits) {
      RECT shown = box;
      shown.top += (box.bottom - needed.bottom) / 2;  // centred in the space
      DrawTextA(dc, m_strInstruction.c_str(), -1, &shown, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(dc, previousFont);
    if (fits) return;
  }
}

}  // namespace zt::shell
