#include "controls/grid/TitleTip.h"

#include "platform/Time.h"
#include "platform/gdi/Dc.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/SysMetrics.h"

namespace {

LPARAM PackPoint(CPoint p) {
  return MAKELPARAM(static_cast<WORD>(static_cast<std::int16_t>(p.x)), static_cast<WORD>(static_cast<std::int16_t>(p.y)));
}

CPoint PointOf(LPARAM lParam) { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }

}  // namespace

CTitleTip::CTitleTip() : m_dwDblClickMsecs(GetDoubleClickTime()) {
  WNDCLASSW cls;
  if (GetClassInfo(kWindowClass, &cls)) return;
  cls.style = CS_SAVEBITS;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = COLOR_INFOBK + 1;
  cls.lpszClassName = kWindowClass;
  RegisterClass(&cls);
}

BOOL CTitleTip::Create(CWnd* parent) {
  if (m_bCreated && IsWindow(m_hWnd)) return TRUE;
  m_pParentWnd = parent;
  m_bCreated = CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kWindowClass, L"", WS_POPUP | WS_BORDER, CRect(0, 0, 0, 0),
                        nullptr, 0);
  return m_bCreated;
}

BOOL CTitleTip::DestroyWindow() {
  m_bCreated = FALSE;
  return CWnd::DestroyWindow();
}

void CTitleTip::Show(CRect rectTitle, LPCTSTR text, int xoffset, LPCRECT lpHoverRect, const LOGFONT* lpLogFont,
                     COLORREF crTextClr, COLORREF crBackClr) {
  if (!m_pParentWnd || !Create(m_pParentWnd)) return;
  if (rectTitle.IsRectEmpty() || IsWindowVisible()) return;
  CRect hover = lpHoverRect ? CRect(*lpHoverRect) : rectTitle;
  hover.right++;
  hover.bottom++;
  if (!GetFocus()) return;

  CRect title = rectTitle;
  m_pParentWnd->ClientToScreen(&title);
  m_strText = CString(L" ") + (text ? text : L"") + L" ";
  m_bOwnFont = lpLogFont != nullptr;
  if (m_bOwnFont) {
    m_Font.DeleteObject();
    m_Font.CreateFontIndirect(lpLogFont);
  }
  CSize size;
  {
    CClientDC dc(this);
    CFont* font = TextFont();
    CFont* previous = font ? dc.SelectObject(font) : nullptr;
    size = dc.GetTextExtent(m_strText);
    if (font) dc.SelectObject(previous);
  }
  const CRect display(title.left + xoffset, title.top, title.left + xoffset + size.cx + xoffset, title.bottom);
  if (display.right <= title.right - xoffset) return;  // the text fits: no tip

  m_crText = crTextClr;
  m_crBack = crBackClr;
  SetWindowPos(&wndTop, display.left, display.top, display.Width(), display.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  // The hover area in the tip's coordinates, now that the tip is in its place.
  m_pParentWnd->ClientToScreen(&hover);
  ScreenToClient(&hover);
  m_rectHover = hover;
  Invalidate();
  SetCapture();
}

CFont* CTitleTip::TextFont() {
  if (m_bOwnFont) return &m_Font;
  return m_pParentWnd ? m_pParentWnd->GetFont() : nullptr;
}

void CTitleTip::Hide() {
  if (!IsWindow(m_hWnd)) return;
  if (GetCapture() == this) ReleaseCapture();
  ShowWindow(SW_HIDE);
}

void CTitleTip::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (m_crBack != CLR_DEFAULT) dc.FillSolidRect(&client, m_crBack);
  if (m_crText != CLR_DEFAULT) dc.SetTextColor(m_crText);
  CFont* font = TextFont();
  CFont* previous = font ? dc.SelectObject(font) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(0, 0, m_strText);
  if (font) dc.SelectObject(previous);
}

CWnd* CTitleTip::WindowUnder(CPoint screen) {
  CWnd* wnd = WindowFromPoint(screen);
  return wnd == this ? m_pParentWnd : wnd;
}

// Leaving the hover area hides the tip and gives the move to the window under the pointer.
void CTitleTip::OnMouseMove(WPARAM keys, CPoint point) {
  if (m_rectHover.PtInRect(point)) return;
  Hide();
  CPoint screen = point;
  ClientToScreen(&screen);
  CWnd* wnd = WindowUnder(screen);
  if (!wnd) return;
  const LRESULT hit = wnd->SendMessage(WM_NCHITTEST, 0, PackPoint(screen));
  if (hit != HTCLIENT) {
    wnd->PostMessage(WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), PackPoint(screen));
    return;
  }
  CPoint client = screen;
  wnd->ScreenToClient(&client);
  wnd->PostMessage(WM_MOUSEMOVE, keys, PackPoint(client));
}

bool CTitleTip::ForwardButton(const MSG& msg, bool doubleClick) {
  CPoint screen = PointOf(msg.lParam);
  ClientToScreen(&screen);
  Hide();
  CWnd* wnd = WindowUnder(screen);
  if (!wnd) return false;
  const LRESULT hit = wnd->SendMessage(WM_NCHITTEST, 0, PackPoint(screen));
  if (hit != HTCLIENT) {
    wnd->PostMessage(msg.message - (WM_LBUTTONDOWN - WM_NCLBUTTONDOWN), static_cast<WPARAM>(hit), PackPoint(screen));
    return true;
  }
  CPoint client = screen;
  wnd->ScreenToClient(&client);
  const UINT message = doubleClick && msg.message == WM_LBUTTONDOWN ? WM_LBUTTONDBLCLK : msg.message;
  wnd->PostMessage(message, msg.wParam, PackPoint(client));
  return true;
}

BOOL CTitleTip::PreTranslateMessage(MSG* msg) {
  switch (msg->message) {
    case WM_LBUTTONDOWN: {
      const DWORD now = GetTickCount();
      const bool doubleClick = m_bPressedBefore && now - m_dwLastLButtonDown <= m_dwDblClickMsecs;
      m_dwLastLButtonDown = now;
      m_bPressedBefore = true;
      return ForwardButton(*msg, doubleClick) ? TRUE : FALSE;
    }
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return ForwardButton(*msg, false) ? TRUE : FALSE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Hide();
      if (m_pParentWnd) m_pParentWnd->PostMessage(msg->message, msg->wParam, msg->lParam);
      return TRUE;
    default:
      if (!GetFocus()) {
        Hide();
        return TRUE;
      }
      return CWnd::PreTranslateMessage(msg);
  }
}

LRESULT CTitleTip::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, PointOf(lParam));
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    default:
      return CWnd::WindowProc(msg, wParam, lParam);
  }
}
