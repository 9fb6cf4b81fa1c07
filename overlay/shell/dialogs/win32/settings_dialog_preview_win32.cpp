// The settings dialog's preview and what moves the scan on it: typing in the offset and zoom
// edits, arrow steps, and dragging the scan or its edges with the mouse. The maths is in
// preview_geometry; this file feeds it client coordinates and the controls' values.
#include "overlay/shell/dialogs/win32/settings_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "overlay/shell/dialogs/offset_typing.h"
#include "overlay/shell/resource.h"

namespace zt::shell {

namespace {

PixelRect ControlRect(HWND dialog, int id) {
  RECT r{};
  const HWND control = GetDlgItem(dialog, id);
  if (!control) return {};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

LPCSTR CursorName(PreviewCursor cursor) {
  switch (cursor) {
    case PreviewCursor::SizeNS:
      return IDC_SIZENS;
    case PreviewCursor::SizeWE:
      return IDC_SIZEWE;
    case PreviewCursor::SizeNWSE:
      return IDC_SIZENWSE;
    case PreviewCursor::SizeNESW:
      return IDC_SIZENESW;
    default:
      return IDC_ARROW;
  }
}

StepDirection DirectionOf(int buttonId) {
  switch (buttonId) {
    case IDC_MOVE_UP:
      return StepDirection::Up;
    case IDC_MOVE_DOWN:
      return StepDirection::Down;
    case IDC_MOVE_LEFT:
      return StepDirection::Left;
    default:
      return StepDirection::Right;
  }
}

}  // namespace

// ---- Preview -------------------------------------------------------------------------------

bool CSettingsDlg::RebuildDisplay(bool redrawNow) {
  m_bitmaps.Clear();
  if (!ImagesPresent() || !Alive()) return false;
  {
    app::WindowDc dc(Hwnd());
    if (!dc || !m_bitmaps.Make(dc.Get(), *m_images.screenHalf, *m_images.scanHalf, *m_images.scanMask))
      return false;
  }
  m_layout = MakeLayout(ControlRect(Hwnd(), IDC_PREVIEW_BOX), ControlRect(Hwnd(), IDC_PREVIEW_CLIP),
                        m_bitmaps.ScreenWidth(), m_bitmaps.ScreenHeight(), m_sizes);
  EnableWindow(Item(IDC_SAVE_NOW), TRUE);
  if (redrawNow) {
    TakeOverValues();
    UpdatePreview();
  }
  return true;
}

void CSettingsDlg::UpdatePreview() {
  m_values.x = XOffsetRange(m_sizes).Clamp(m_values.x);
  m_values.y = YOffsetRange(m_sizes).Clamp(m_values.y);
  m_previewOffset = PreviewOffset(m_layout, m_sizes, m_values.x, m_values.y);
  PlaceScanNow();
}

void CSettingsDlg::PlaceScanNow() {
  m_scan = PlaceScan(m_layout, m_previewOffset, m_values.widthZoom, m_values.heightZoom,
                     m_bitmaps.ScanWidth(), m_bitmaps.ScanHeight());
  RepaintPreview();
}

void CSettingsDlg::RepaintPreview() {
  if (!PreviewShown() || !Alive()) return;
  const RECT clip{m_layout.clip.left, m_layout.clip.top, m_layout.clip.right, m_layout.clip.bottom};
  InvalidateRect(Hwnd(), &clip, FALSE);
}

PreviewPicture CSettingsDlg::Picture() const { return {m_layout, m_scan, m_values.saveImageSize == 1}; }

// ---- Typing --------------------------------------------------------------------------------

void CSettingsDlg::OnOffsetEdited(int editId) {
  if (!m_bInitialised || m_bWritingControls || !Alive()) return;
  const IntRange range = editId == IDC_X_OFFSET ? XOffsetRange(m_sizes) : YOffsetRange(m_sizes);
  const OffsetTyping typing = FilterOffsetTyping(ItemText(editId), range);
  switch (typing.action) {
    case OffsetTyping::Action::Leave:
      return;
    case OffsetTyping::Action::MinusOnly:
      m_bWritingControls = true;
      SetItemText(editId, typing.text);
      m_bWritingControls = false;
      SendDlgItemMessageA(Hwnd(), editId, EM_SETSEL, 1, 1);
      return;
    case OffsetTyping::Action::Replace: {
      m_bWritingControls = true;
      SetItemText(editId, typing.text);
      m_bWritingControls = false;
      // The caret goes after the number, so that the next key typed adds to it: typing 1, 2, a, 3
      // gives 123.
      const auto end = static_cast<WPARAM>(typing.text.size());
      SendDlgItemMessageA(Hwnd(), editId, EM_SETSEL, end, static_cast<LPARAM>(end));
      break;
    }
    case OffsetTyping::Action::Accept:
      break;
  }
  TakeOverValues();
  UpdatePreview();
}

void CSettingsDlg::OnZoomEdited(int editId) {
  if (!m_bInitialised || m_bWritingControls || !Alive()) return;
  // The up-down control reads its buddy's text; a text it does not take leaves its position.
  const int spinId = editId == IDC_WIDTH_ZOOM ? IDC_WIDTH_SPIN : IDC_HEIGHT_SPIN;
  const int zoom = Zoom(spinId);
  char text[16];
  std::snprintf(text, sizeof text, "%d", zoom);
  if (ItemText(editId) != text) {
    m_bWritingControls = true;
    SetItemText(editId, text);
    m_bWritingControls = false;
    SendDlgItemMessageA(Hwnd(), editId, EM_SETSEL, 0, -1);
  }
  (spinId == IDC_WIDTH_SPIN ? m_values.widthZoom : m_values.heightZoom) = zoom;
  UpdatePreview();
}

// ---- Arrow steps ---------------------------------------------------------------------------

void CSettingsDlg::Step(int buttonId) {
  // Alt+arrow keys reach here even with the arrows greyed.
  if (!m_bInitialised || !Alive() || GeometryLocked()) return;
  TakeOverValues();
  const PixelPoint moved = StepOffsets(DirectionOf(buttonId), m_values.x, m_values.y, m_sizes);
  m_values.x = moved.x;
  m_values.y = moved.y;
  ShowOffsets();
  UpdatePreview();
}

// ---- Mouse ---------------------------------------------------------------------------------

bool CSettingsDlg::SetPreviewCursor(PixelPoint p) {
  if (!PreviewShown() || !m_layout.clip.Contains(p)) return false;
  const int mode = m_drag.mode != kDragNone ? m_drag.mode : HitTest(m_layout, m_scan, p);
  SetCursor(LoadCursorA(nullptr, CursorName(CursorFor(mode))));
  return true;
}

void CSettingsDlg::OnButtonDown(PixelPoint p) {
  if (!PreviewShown() || GeometryLocked()) return;
  const int mode = HitTest(m_layout, m_scan, p);
  if (mode == kDragNone) return;
  m_values.widthZoom = Zoom(IDC_WIDTH_SPIN);
  m_values.heightZoom = Zoom(IDC_HEIGHT_SPIN);
  m_drag = BeginDrag(m_layout, mode, p, m_previewOffset, m_values.widthZoom, m_values.heightZoom);
  SetCapture(Hwnd());
}

void CSettingsDlg::OnMouseMove(PixelPoint p) {
  if (!PreviewShown()) return;
  SetPreviewCursor(p);
  if (m_drag.mode == kDragNone) return;
  // A move ends where the preview ends; an edge may be pulled beyond it.
  if (m_drag.mode == kDragMove && !m_layout.clip.Contains(p)) {
    EndDrag();
    return;
  }
  ApplyDrag(p);
}

void CSettingsDlg::ApplyDrag(PixelPoint p) {
  const DragOutcome out =
      DragTo(m_layout, m_drag, p, m_previewOffset, m_values.widthZoom, m_values.heightZoom);
  if (out.widthZoom != m_values.widthZoom) SetZoom(IDC_WIDTH_SPIN, out.widthZoom);
  if (out.heightZoom != m_values.heightZoom) SetZoom(IDC_HEIGHT_SPIN, out.heightZoom);
  // Only an axis whose preview offset moved is converted back, so that pulling the right edge
  // does not round X.
  const ScreenOffsets xy = ScreenOffsetsFromPreview(m_layout, m_sizes, out.previewOffset);
  if (out.previewOffset.x != m_previewOffset.x) {
    m_values.x = xy.x;
    m_previewOffset.x = xy.previewOffset.x;
  }
  if (out.previewOffset.y != m_previewOffset.y) {
    m_values.y = xy.y;
    m_previewOffset.y = xy.previewOffset.y;
  }
  ShowOffsets();
  PlaceScanNow();
}

void CSettingsDlg::EndDrag() {
  m_drag = {};
  if (GetCapture() == Hwnd()) ReleaseCapture();
}

}  // namespace zt::shell
