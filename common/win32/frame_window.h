// A hidden top-level window that owns a program's state and dispatches its messages to handlers.
// Top-level (not message-only) so that other processes find it by its class name.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace zt::app {

class FrameWindow {
 public:
  using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

  explicit FrameWindow(std::string className);
  virtual ~FrameWindow();
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;

  // Registers the window class (once per process, class style 0) and creates the window with
  // style; the default is a top-level window that is never shown.
  bool Create(const char* title = "", DWORD style = WS_OVERLAPPEDWINDOW);
  void Destroy();
  HWND Hwnd() const { return m_hWnd; }
  const std::string& ClassName() const { return m_strClassName; }

  // Handlers, usually bound to member functions of the derived frame.
  void OnMessage(UINT message, Handler handler);
  // Registers a message by name and routes it; returns its id, 0 on failure.
  UINT OnRegisteredMessage(const char* name, Handler handler);
  void OnCommand(UINT id, std::function<void()> handler);
  void OnTimer(UINT_PTR id, std::function<void()> handler);

  // One-shot timers: a timer is killed before its handler runs; the handler re-arms it if needed.
  bool SetTimer(UINT_PTR id, UINT elapseMs);
  void KillTimer(UINT_PTR id);

  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // When set, destroying the window ends the thread's message loop.
  void QuitOnDestroy(bool quit) { m_bQuitOnDestroy = quit; }

 protected:
  // Routes a message to its handler; unhandled ones go to DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  std::string m_strClassName;
  HWND m_hWnd = nullptr;
  bool m_bQuitOnDestroy = false;
  std::map<UINT, Handler> m_messages;
  std::map<UINT, std::function<void()>> m_commands;
  std::map<UINT_PTR, std::function<void()>> m_timers;
};

}  // namespace zt::app
