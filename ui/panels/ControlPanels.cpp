#include "ui/panels/ControlPanels.h"

#include "platform/gdi/Dc.h"

CCtrlPanel::CCtrlPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL CCtrlPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  background_.LoadBitmap(kBackground);
  PlaceButtons(ui::kControlBarControls);
  return TRUE;
}

LRESULT CCtrlPanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND && background_.GetSafeHandle() != nullptr) {
    if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam))) {
      PaintStretched(*dc);
      return TRUE;
    }
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

void CCtrlPanel::PaintStretched(CDC& dc) {
  BITMAP bm{};
  background_.GetBitmap(&bm);
  CRect client;
  GetClientRect(&client);
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap* old = memory.SelectObject(&background_);
  dc.StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  memory.SelectObject(old);
}

CClosePanel::CClosePanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL CClosePanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  PlaceButtons(ui::kCaptionPanelControls);
  return TRUE;
}
