#include "common/win32/frame_window.h"

#include <utility>

namespace zt::app {

FrameWindow::FrameWindow(std::string className) : m_strClassName(std::move(className)) {}

FrameWindow::~FrameWindow() { Destroy(); }

bool FrameWindow::Create(const char* title, DWORD style) {
  if (m_hWnd) return true;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  if (!GetClassInfoExA(inst, m_strClassName.c_str(), &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &FrameWindow::StaticProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = m_strClassName.c_str();
    if (!RegisterClassExA(&wc)) return false;
  }
  return CreateWindowExA(0, m_strClassName.c_str(), title ? title : "", style, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, inst, this) != nullptr;
}

void FrameWindow::Destroy() {
  if (m_hWnd) DestroyWindow(m_hWnd);
}

void FrameWindow::OnMessage(UINT message, Handler handler) { m_messages[message] = std::move(handler); }

UINT FrameWindow::OnRegisteredMessage(const char* name, Handler handler) {
  const UINT id = RegisterWindowMessageA(name);
  if (id != 0) m_messages[id] = std::move(handler);
  return id;
}

void FrameWindow::OnCommand(UINT id, std::function<void()> handler) { m_commands[id] = std::move(handler); }

void FrameWindow::OnTimer(UINT_PTR id, std::function<void()> handler) { m_timers[id] = std::move(handler); }

bool FrameWindow::SetTimer(UINT_PTR id, UINT elapseMs) {
  return m_hWnd && ::SetTimer(m_hWnd, id, elapseMs, nullptr) != 0;
}

void FrameWindow::KillTimer(UINT_PTR id) {
  if (m_hWnd) ::KillTimer(m_hWnd, id);
}

bool FrameWindow::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  return m_hWnd && PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
}

LRESULT FrameWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return m_hWnd ? SendMessageA(m_hWnd, message, wParam, lParam) : 0;
}

LRESULT FrameWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    auto it = m_timers.find(static_cast<UINT_PTR>(wParam));
    if (it != m_timers.end()) {
      ::KillTimer(m_hWnd, wParam);
      auto handler = it->second;  // the handler may replace itself
      handler();
      return 0;
    }
  } else if (message == WM_COMMAND) {
    auto it = m_commands.find(LOWORD(wParam));
    if (it != m_commands.end()) {
      auto handler = it->second;
      handler();
      return 0;
    }
  }
  auto it = m_messages.find(message);
  if (it != m_messages.end()) {
    auto handler = it->second;
    return handler(wParam, lParam);
  }
  return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK FrameWindow::StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  FrameWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->m_hWnd = hWnd;
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hWnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    const LRESULT r = self->WindowProc(message, wParam, lParam);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    if (self->m_bQuitOnDestroy) PostQuitMessage(0);
    return r;
  }
  return self->WindowProc(message, wParam, lParam);
}

}  // namespace zt::app
