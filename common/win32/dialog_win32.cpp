#include "common/win32/dialog.h"

#include <algorithm>
#include <vector>

namespace zt::app {

namespace {

// Open modeless dialogs of this thread, for the message loop's keyboard routing.
thread_local std::vector<HWND> g_modeless;
// Modal dialogs of this thread, innermost last, and the message-filter hook that lets the
// innermost one see its messages inside the system's modal loop.
thread_local std::vector<Dialog*> g_modal;
thread_local HHOOK g_messageFilter = nullptr;
// Set while a message is offered to the modeless dialogs from the filter: their own dialog
// handling calls the filter again.
thread_local bool g_routingToModeless = false;

// The dialog class's own window procedure, kept on each dialog that AnswerProc stands in front of.
constexpr char kClassProcProperty[] = "zt.DialogClassProc";

}  // namespace

bool IsModelessDialogMessage(MSG& msg) {
  for (HWND dlg : g_modeless)
    if (IsWindow(dlg) && IsDialogMessageA(dlg, &msg)) return true;
  return false;
}

Dialog::Dialog(int templateId, HINSTANCE resources) : m_nTemplateId(templateId), m_hResources(resources) {}

Dialog::~Dialog() { Destroy(); }

INT_PTR Dialog::DoModal(HWND parent) {
  if (m_hWnd) return -1;
  m_bModal = true;
  if (g_modal.empty())
    g_messageFilter = SetWindowsHookExA(WH_MSGFILTER, &Dialog::MessageFilter, nullptr, GetCurrentThreadId());
  g_modal.push_back(this);
  const INT_PTR code = DialogBoxParamA(m_hResources, MAKEINTRESOURCEA(m_nTemplateId), parent,
                                       &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
  g_modal.pop_back();
  if (g_modal.empty() && g_messageFilter) {
    UnhookWindowsHookEx(g_messageFilter);
    g_messageFilter = nullptr;
  }
  m_bModal = false;
  m_nEndCode = code;
  return code;
}

bool Dialog::CreateModeless(HWND parent) {
  if (m_hWnd) return true;
  m_bModal = false;
  m_nEndCode = 0;
  HWND hWnd = CreateDialogParamA(m_hResources, MAKEINTRESOURCEA(m_nTemplateId), parent, &Dialog::StaticProc,
                                 reinterpret_cast<LPARAM>(this));
  if (!hWnd) return false;
  g_modeless.push_back(hWnd);
  return true;
}

void Dialog::Destroy() {
  if (m_hWnd && !m_bModal) DestroyWindow(m_hWnd);
}

void Dialog::EndDialog(INT_PTR code) {
  m_nEndCode = code;
  if (!m_hWnd) return;
  if (m_bModal)
    ::EndDialog(m_hWnd, code);
  else
    DestroyWindow(m_hWnd);
}

std::string Dialog::ItemText(int id) const {
  HWND item = Item(id);
  if (!item) return {};
  const int len = GetWindowTextLengthA(item);
  std::string text(static_cast<size_t>(len) + 1, '\0');
  const int got = GetWindowTextA(item, text.data(), len + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

bool Dialog::SetItemText(int id, const std::string& text) const {
  return m_hWnd && SetDlgItemTextA(m_hWnd, id, text.c_str()) != FALSE;
}

bool Dialog::IsChecked(int id) const { return m_hWnd && IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

void Dialog::SetChecked(int id, bool checked) const {
  if (m_hWnd) CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Dialog::Show(bool visible) const {
  if (m_hWnd) ShowWindow(m_hWnd, visible ? SW_SHOW : SW_HIDE);
}

bool Dialog::OnCommand(WORD id, WORD) {
  if (id == IDOK || id == IDCANCEL) {
    EndDialog(id);
    return true;
  }
  return false;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

LRESULT CALLBACK Dialog::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
  // Message boxes run the same kind of loop; only messages of the dialog itself or its controls
  // are offered to it.
  if (code == MSGF_DIALOGBOX && !g_modal.empty() && lParam) {
    MSG& msg = *reinterpret_cast<MSG*>(lParam);
    // The modal loop knows only its own dialog: the modeless ones get their keys here.
    if (!g_routingToModeless) {
      g_routingToModeless = true;
      const bool taken = IsModelessDialogMessage(msg);
      g_routingToModeless = false;
      if (taken) return 1;
    }
    Dialog* dialog = g_modal.back();
    const HWND hWnd = dialog->m_hWnd;
    if (hWnd && (msg.hwnd == hWnd || IsChild(hWnd, msg.hwnd)) && dialog->PreTranslateMessage(msg)) return 1;
  }
  return CallNextHookEx(g_messageFilter, code, wParam, lParam);
}

LRESULT CALLBACK Dialog::AnswerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto classProc = reinterpret_cast<WNDPROC>(GetPropA(hWnd, kClassProcProperty));
  if (message == WM_QUERYENDSESSION) {
    LRESULT answer = TRUE;
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    if (self && self->OnQueryEndSession(answer)) return answer;
  }
  if (message == WM_NCDESTROY) {
    RemovePropA(hWnd, kClassProcProperty);
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc));
  }
  return CallWindowProcA(classProc, hWnd, message, wParam, lParam);
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->m_hWnd = hWnd;
    SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    // A dialog procedure answers through a slot of its window, which is gone when the handler
    // destroyed the window; the end of the session is answered in front of it instead.
    SetPropA(hWnd, kClassProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC)));
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Dialog::AnswerProc));
    if (!self->OnInitDialog()) {
      self->EndDialog(-1);
      return FALSE;
    }
    return TRUE;
  }
  self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY:
      self->OnDestroy();
      return FALSE;
    case WM_NCDESTROY:
      g_modeless.erase(std::remove(g_modeless.begin(), g_modeless.end(), hWnd), g_modeless.end());
      SetWindowLongPtrA(hWnd, DWLP_USER, 0);
      self->m_hWnd = nullptr;
      return FALSE;
    default: {
      INT_PTR result = 0;
      if (self->OnMessage(message, wParam, lParam, result)) {
        SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
  }
}

}  // namespace zt::app
