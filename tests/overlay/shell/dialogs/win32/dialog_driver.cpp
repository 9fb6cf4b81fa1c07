#include "dialog_driver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/win32/gdi_handles.h"
#include "overlay/shell/frame/frame_messages.h"
#include "tests/support/dib_section.h"
#include "tests/support/png_file.h"

namespace zt::winetest {

namespace {

TestFrame* g_frame = nullptr;
std::function<void()> g_script;
std::function<bool()> g_scriptReady;
int g_scriptWaits = 0;

struct PendingAnswer {
  HWND owner = nullptr;
  int button = 0;
  std::function<void(HWND)> onBox;
  UINT_PTR timer = 0;
  int polls = 0;
};
PendingAnswer g_answer;
std::string g_lastBoxText;

void CALLBACK ScriptTimer(HWND, UINT, UINT_PTR id, DWORD) {
  // A modal loop shows its dialog the first time its queue runs empty: wait for that (about 4 s
  // at most) so that the script meets the dialog as the user does.
  if (g_scriptReady && !g_scriptReady() && ++g_scriptWaits < 200) return;
  KillTimer(nullptr, id);
  std::function<void()> script = std::move(g_script);
  g_script = nullptr;
  if (script) script();
}

struct BoxSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") == 0 && GetWindow(window, GW_OWNER) == search->owner &&
      IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindMessageBox(HWND owner) {
  BoxSearch search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND box = FindMessageBox(g_answer.owner);
  if (!box) {
    if (++g_answer.polls > 200) KillTimer(nullptr, id);  // no box within about 4 s
    return;
  }
  KillTimer(nullptr, id);
  g_lastBoxText = BoxText(box);
  PendingAnswer answer = std::move(g_answer);
  g_answer = {};
  if (answer.onBox) answer.onBox(box);
  if (IsWindow(box)) SendMessageA(GetDlgItem(box, answer.button), BM_CLICK, 0, 0);
}

Capture CaptureDc(HDC source, int width, int height) {
  Capture capture;
  if (!source || width <= 0 || height <= 0) return capture;
  void* bits = nullptr;
  const app::Bitmap section = TopDownSection(source, width, height, 32, &bits);
  app::UniqueDc memory(CreateCompatibleDC(source));
  if (!section || !memory || !bits) return capture;
  {
    app::SelectGuard selected(memory.Get(), section.Get());
    BitBlt(memory.Get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
  }
  capture.width = width;
  capture.height = height;
  const auto* pixels = static_cast<const unsigned*>(bits);
  capture.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
  for (unsigned& p : capture.pixels) p &= 0xFFFFFF;
  return capture;
}

void FillRect24(DibBlock& block, int left, int top, int right, int bottom, unsigned rgb) {
  for (int y = std::max(0, top); y < std::min(block.Height(), bottom); ++y) {
    std::uint8_t* row = block.TopDownRow(y);
    for (int x = std::max(0, left); x < std::min(block.Width(), right); ++x) {
      row[3 * x] = static_cast<std::uint8_t>(rgb);
      row[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
  }
}

void Ring(DibBlock& block, double cx, double cy, double radius, double thickness, unsigned rgb) {
  for (int y = 0; y < block.Height(); ++y)
    for (int x = 0; x < block.Width(); ++x)
      if (std::fabs(std::hypot(x - cx, y - cy) - radius) < thickness / 2)
        FillRect24(block, x, y, x + 1, y + 1, rgb);
}

void Stroke(DibBlock& block, double x0, double y0, double x1, double y1, int thickness, unsigned rgb) {
  const int steps = static_cast<int>(std::hypot(x1 - x0, y1 - y0)) + 1;
  for (int i = 0; i <= steps; ++i) {
    const int x = static_cast<int>(x0 + (x1 - x0) * i / steps),
              y = static_cast<int>(y0 + (y1 - y0) * i / steps);
    FillRect24(block, x - thickness / 2, y - thickness / 2, x + thickness / 2 + 1, y + thickness / 2 + 1,
               rgb);
  }
}

}  // namespace

// ---- Frame ---------------------------------------------------------------------------------

TestFrame::TestFrame() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TestFrame::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ZtDialogTestFrame";
  RegisterClassA(&wc);
  g_frame = this;
  m_hWnd =
      CreateWindowA("ZtDialogTestFrame", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
}

TestFrame::~TestFrame() {
  if (IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
  g_frame = nullptr;
}

int TestFrame::Count(UINT message) const {
  return static_cast<int>(std::count(m_received.begin(), m_received.end(), message));
}

LRESULT CALLBACK TestFrame::Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool frameMessage = message == shell::UM_SAVEOVERLAY || message == shell::UM_SHOWCALIBRATION ||
                            message == shell::UM_CLOSEAPP || message == shell::UM_CALIBRATEFROMSCAN ||
                            message == shell::UM_ENDCALIBRATION;
  if (g_frame && frameMessage) {
    g_frame->m_received.push_back(message);
    if (message == shell::UM_CLOSEAPP) {
      if (g_frame->onCloseApp) g_frame->onCloseApp();
      return g_frame->closeAppResult;
    }
    if (message == shell::UM_SAVEOVERLAY && g_frame->onSaveOverlay) g_frame->onSaveOverlay();
    return 0;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

// ---- Running and answering -----------------------------------------------------------------

void StartScript(const std::function<void()>& script, const std::function<bool()>& ready) {
  g_script = script;
  g_scriptReady = ready;
  g_scriptWaits = 0;
  SetTimer(nullptr, 0, 20, ScriptTimer);
}

void EndIfOpen(HWND dialog) {
  if (dialog && IsWindow(dialog) && IsWindowVisible(dialog)) EndDialog(dialog, -2);
}

void PumpAsDialogLoop(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    // Bounded by the time too: a queue that never runs dry (a held arrow whose every step takes
    // longer than its timer) must not keep the caller here.
    while (GetTickCount() - start < ms && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // As the modal dialog loop does: the message filter (the dialog's accelerators) first.
      if (CallMsgFilterA(&msg, MSGF_DIALOGBOX)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while (GetTickCount() - start < ms);
}

void WaitVisible(HWND dialog) {
  for (int i = 0; i < 100 && !IsWindowVisible(dialog); ++i) PumpAsDialogLoop(20);
  PumpAsDialogLoop(100);
}

HWND WaitForMessageBox(HWND owner) {
  for (int i = 0; i < 100; ++i) {
    if (HWND box = FindMessageBox(owner)) return box;
    PumpAsDialogLoop(20);
  }
  return nullptr;
}

std::string BoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void AnswerNextBox(HWND owner, int button, std::function<void(HWND box)> onBox) {
  g_lastBoxText.clear();
  g_answer = {owner, button, std::move(onBox), 0, 0};
  g_answer.timer = SetTimer(nullptr, 0, 20, AnswerTimer);
}

std::string LastBoxText() { return g_lastBoxText; }

std::string WindowText(HWND window) {
  char text[2048] = {};
  if (window) GetWindowTextA(window, text, sizeof text);
  return text;
}

// ---- Pictures ------------------------------------------------------------------------------

DibPtr MakeScreenshot(int width, int height) {
  DibPtr shot = DibBlock::Allocate(width, height);
  for (int y = 0; y < height; ++y) {
    // A blue desktop darkening downwards, with a window holding lines of grey "text".
    const unsigned blue = 0x2060A0 + static_cast<unsigned>(0x20 * y / height);
    FillRect24(*shot, 0, y, width, y + 1, blue);
  }
  FillRect24(*shot, width / 10, height / 8, width * 7 / 10, height * 3 / 4, 0xF0F0F0);
  FillRect24(*shot, width / 10, height / 8, width * 7 / 10, height / 8 + height / 20, 0x3050C0);
  for (int line = 0; line < 8; ++line) {
    const int y = height / 4 + line * height / 20;
    FillRect24(*shot, width / 8, y, width / 8 + (line % 3 + 3) * width / 16, y + height / 80 + 1, 0x707070);
  }
  FillRect24(*shot, 0, height - height / 18, width, height, 0x202830);  // task bar
  return shot;
}

DibPtr MakeScan(int width, int height) {
  DibPtr scan = DibBlock::Allocate(width, height);
  FillRect24(*scan, 0, 0, width, height, 0xFAFAF5);
  const InkSquare ink;
  FillRect24(*scan, static_cast<int>(ink.left * width), static_cast<int>(ink.top * height),
             static_cast<int>(ink.right * width), static_cast<int>(ink.bottom * height), 0x101010);
  Ring(*scan, width * 0.2, height * 0.25, height * 0.12, height * 0.02 + 2, 0xD02020);
  Stroke(*scan, width * 0.70, height * 0.80, width * 0.92, height * 0.55, height / 60 + 2, 0x1030C0);
  Stroke(*scan, width * 0.08, height * 0.85, width * 0.30, height * 0.70, height / 60 + 2, 0x108030);
  return scan;
}

DibPtr MakeMask(const DibBlock& scan) {
  DibPtr mask = DibBlock::Allocate(scan.Width(), scan.Height());
  for (int y = 0; y < scan.Height(); ++y) {
    const std::uint8_t* in = scan.TopDownRow(y);
    std::uint8_t* out = mask->TopDownRow(y);
    for (int x = 0; x < scan.Width(); ++x) {
      const bool ink = in[3 * x] < 200 || in[3 * x + 1] < 200 || in[3 * x + 2] < 200;
      out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = ink ? 0xFF : 0x00;
    }
  }
  return mask;
}

// ---- Reading the screen --------------------------------------------------------------------

Capture CaptureClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  app::WindowDc dc(window);
  return CaptureDc(dc.Get(), client.right, client.bottom);
}

Capture CaptureWindow(HWND window) {
  // From the screen, where the window lies on top, so that the frame and title bar come too.
  RECT bounds{};
  GetWindowRect(window, &bounds);
  app::WindowDc screen(nullptr);
  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  app::UniqueDc memory(CreateCompatibleDC(screen.Get()));
  const app::Bitmap copy(CreateCompatibleBitmap(screen.Get(), width, height));
  if (!memory || !copy) return {};
  {
    app::SelectGuard selected(memory.Get(), copy.Get());
    BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), bounds.left, bounds.top, SRCCOPY);
  }
  app::SelectGuard selected(memory.Get(), copy.Get());
  return CaptureDc(memory.Get(), width, height);
}

bool WritePng(const Capture& capture, const std::string& path) {
  return WritePng(capture.width, capture.height, capture.pixels, path);
}

bool Near(unsigned a, unsigned b, int tolerance) {
  return std::abs(Red(a) - Red(b)) <= tolerance && std::abs(Green(a) - Green(b)) <= tolerance &&
         std::abs(Blue(a) - Blue(b)) <= tolerance;
}

}  // namespace zt::winetest
