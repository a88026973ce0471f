#include "controls/VxSkinDialog.h"

#include "controls/MemDC.h"
#include "platform/gdi/Dc.h"

CVxSkinDialog::CVxSkinDialog() = default;

CVxSkinDialog::CVxSkinDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CVxSkinDialog::~CVxSkinDialog() = default;

BOOL CVxSkinDialog::SetSkin(UINT bitmapId) {
  background_.DeleteObject();
  skinSize_ = CSize();
  const BOOL loaded = background_.LoadBitmap(bitmapId);
  if (loaded) {
    BITMAP bm{};
    background_.GetBitmap(&bm);
    skinSize_ = CSize(bm.bmWidth, bm.bmHeight);
  }
  if (m_hWnd) InvalidateRect(nullptr, TRUE);
  return loaded;
}

void CVxSkinDialog::SetCornerEllipse(int width, int height) { corner_ = CSize(width, height); }

void CVxSkinDialog::OnOK() {}

void CVxSkinDialog::OnCancel() {}

void CVxSkinDialog::OnClose() { EndDialog(IDCANCEL); }

LRESULT CVxSkinDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      if (IsSkinned()) {
        if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam))) return OnEraseBkgnd(*dc);
      }
      break;
    case WM_SIZE: {
      const LRESULT result = CDialog::WindowProc(msg, wParam, lParam);
      OnSize();
      return result;
    }
    case WM_LBUTTONDOWN:
      if (dragByClientArea_) PostMessage(WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTCAPTION), lParam);
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    default:
      break;
  }
  return CDialog::WindowProc(msg, wParam, lParam);
}

// The background at its own size from the top-left, composed off-screen with the dialog face
// around it and copied in one transfer.
BOOL CVxSkinDialog::OnEraseBkgnd(CDC& dc) {
  CRect client;
  GetClientRect(&client);
  CMemDC composed(&dc, &client);
  composed.FillSolidRect(&client, GetSysColor(COLOR_3DFACE));
  CDC skinDc;
  skinDc.CreateCompatibleDC(&dc);
  CBitmap* old = skinDc.SelectObject(&background_);
  composed.BitBlt(0, 0, skinSize_.cx, skinSize_.cy, &skinDc, 0, 0, SRCCOPY);
  skinDc.SelectObject(old);
  return TRUE;
}

void CVxSkinDialog::OnSize() {
  if (!IsSkinned()) return;
  InvalidateRect(nullptr, TRUE);
  CRect client;
  GetClientRect(&client);
  CRgn region;
  if (region.CreateRoundRectRgn(client.left, client.top, client.right + 10, client.bottom + 10, corner_.cx, corner_.cy)) {
    SetWindowRgn(&region, TRUE);
  }
}
