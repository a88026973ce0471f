#include "platform/wnd/Static.h"

#include <QPainter>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/ControlProc.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

UINT TextFormat(DWORD style, const CString& text) {
  const DWORD type = style & SS_TYPEMASK;
  UINT format = DT_EXPANDTABS;
  if (type == SS_CENTER) format |= DT_CENTER | DT_WORDBREAK;
  else if (type == SS_RIGHT) format |= DT_RIGHT | DT_WORDBREAK;
  else if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) format |= DT_LEFT | DT_SINGLELINE;
  else format |= DT_LEFT | DT_WORDBREAK;
  if ((style & SS_CENTERIMAGE) && text.Find(L'\n') < 0) format = (format & ~DT_WORDBREAK) | DT_VCENTER | DT_SINGLELINE;
  return format;
}

class StaticProc : public ClassProc {
 public:
  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_NCHITTEST:
        return (w.style & SS_NOTIFY) ? DefaultProc(w, msg, wParam, lParam) : HTTRANSPARENT;
      case WM_SETTEXT:
        w.text = reinterpret_cast<LPCWSTR>(lParam);
        Redraw(w);
        return TRUE;
      case WM_ENABLE:
        Redraw(w);
        return 0;
      case STM_SETIMAGE: {
        if (wParam != IMAGE_BITMAP) return 0;
        const HBITMAP old = bitmap_;
        bitmap_ = reinterpret_cast<HBITMAP>(lParam);
        Redraw(w);
        return reinterpret_cast<LRESULT>(old);
      }
      case STM_GETIMAGE:
        return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(bitmap_) : 0;
      case WM_GETDLGCODE:
        return DLGC_STATIC;
      case WM_PAINT:
        Paint(w);
        return 0;
      default:
        return DefaultProc(w, msg, wParam, lParam);
    }
  }

 private:
  static void Redraw(Window& w) { InvalidateWhole(w, true); }

  void Paint(Window& w) const {
    CPaintDC dc(w.object);
    CRect rc = w.ClientRect();
    if (!(w.exStyle & WS_EX_TRANSPARENT)) dc.FillSolidRect(&rc, GetSysColor(COLOR_3DFACE));
    if ((w.style & SS_TYPEMASK) == SS_BITMAP) {
      const QImage img = ImageOf(bitmap_);
      if (img.isNull()) return;
      QPoint at;
      if (w.style & SS_CENTERIMAGE) at = QPoint((rc.Width() - img.width()) / 2, (rc.Height() - img.height()) / 2);
      QPainter p(&w.backing);
      p.drawImage(at, img);
      return;
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(w.Enabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    dc.DrawText(w.text, &rc, TextFormat(w.style, w.text));
  }

  HBITMAP bitmap_ = nullptr;
};

}  // namespace

WindowClass StaticClass() { return StandardClass<StaticProc, CStatic>(L"Static"); }

}  // namespace plat

BOOL CStatic::Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(L"Static", text, style, rect, parent, id);
}

HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
  return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

HBITMAP CStatic::GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP)); }
