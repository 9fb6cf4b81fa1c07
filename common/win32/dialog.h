// Dialogs from .rc templates, modal or modeless, with an init hook and control access.
#pragma once

#include <windows.h>

#include <string>

namespace zt::app {

class Dialog {
 public:
  explicit Dialog(int templateId, HINSTANCE resources = GetModuleHandleA(nullptr));
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until EndDialog; returns the code, or -1 when it could not be created.
  INT_PTR DoModal(HWND parent);
  // Creates the dialog and returns at once; the message loop serves it.
  bool CreateModeless(HWND parent);
  void Destroy();

  // Ends a modal dialog with the code; a modeless one is destroyed and keeps the code.
  void EndDialog(INT_PTR code);
  INT_PTR EndCode() const { return m_nEndCode; }

  HWND Hwnd() const { return m_hWnd; }
  bool IsModal() const { return m_bModal; }
  HWND Item(int id) const { return m_hWnd ? GetDlgItem(m_hWnd, id) : nullptr; }
  std::string ItemText(int id) const;
  bool SetItemText(int id, const std::string& text) const;
  bool IsChecked(int id) const;
  void SetChecked(int id, bool checked) const;
  void Show(bool visible) const;
  bool IsVisible() const { return m_hWnd && IsWindowVisible(m_hWnd); }

 protected:
  // Called once the controls exist; false ends a modal dialog with -1 (a modeless one is destroyed).
  virtual bool OnInitDialog() { return true; }
  // WM_COMMAND; true when handled. The default ends the dialog on IDOK and IDCANCEL.
  virtual bool OnCommand(WORD id, WORD notifyCode);
  // Any other message; return true when handled and set result.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
  // The window is going away (both kinds); state tied to it is released here.
  virtual void OnDestroy() {}
  // A modal dialog sees each message for itself or its controls before its loop dispatches it
  // (keyboard accelerators); true when taken.
  virtual bool PreTranslateMessage(MSG&) { return false; }
  // WM_QUERYENDSESSION; true when handled, with the answer. The handler may destroy the dialog:
  // the answer is returned by the window procedure itself, not left in the window.
  virtual bool OnQueryEndSession(LRESULT&) { return false; }

 private:
  static INT_PTR CALLBACK StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK AnswerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);

  int m_nTemplateId;
  HINSTANCE m_hResources;
  HWND m_hWnd = nullptr;
  bool m_bModal = false;
  INT_PTR m_nEndCode = 0;
};

// True when msg belongs to an open modeless dialog and was handled there (tab, enter, escape).
bool IsModelessDialogMessage(MSG& msg);

}  // namespace zt::app
