// Window classes and the default processing every window shares.
#include <QString>
#include <map>

#include "platform/wnd/Input.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

std::map<std::wstring, WindowClass>& Classes() {
  static std::map<std::wstring, WindowClass> classes;
  return classes;
}

// Class names compare without regard to case, as on the platform.
std::wstring Key(LPCWSTR name) { return CString(name).MakeLower().str(); }

void EnsureStandardClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterStandardClasses();
}

LRESULT HitTestNonClient(Window& wnd, LPARAM lParam) {
  const QPoint screen(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  const QPoint client = wnd.ScreenToClient(screen);
  const CRect rc = wnd.ClientRect();
  if (rc.PtInRect({client.x(), client.y()})) return HTCLIENT;
  const QPoint inWindow = client + wnd.ClientOrigin();
  const QRect whole(0, 0, wnd.rect.Width(), wnd.rect.Height());
  if (!whole.contains(inWindow)) return HTNOWHERE;
  if (wnd.bars[SB_VERT].shown && client.x() >= rc.right && client.y() < rc.bottom) return HTVSCROLL;
  if (wnd.bars[SB_HORZ].shown && client.y() >= rc.bottom && client.x() < rc.right) return HTHSCROLL;
  return HTBORDER;
}

LRESULT CopyText(const CString& text, WPARAM capacity, LPARAM buffer) {
  auto* out = reinterpret_cast<wchar_t*>(buffer);
  if (!out || capacity == 0) return 0;
  const size_t n = std::min<size_t>(capacity - 1, static_cast<size_t>(text.GetLength()));
  std::copy_n(text.GetString(), n, out);
  out[n] = L'\0';
  return static_cast<LRESULT>(n);
}

}  // namespace

QWidget* ClassProc::MakeWidget(Window&, QWidget*) { return nullptr; }

QRect ClassProc::WidgetGeometry(Window&, const QRect& windowRect) { return windowRect; }

LRESULT ClassProc::Proc(Window& wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(wnd, msg, wParam, lParam);
}

LRESULT DefaultProc(Window& wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST:
      return HitTestNonClient(wnd, lParam);
    case WM_SETCURSOR:
      if (wnd.IsChild() && wnd.parent->Send(WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam))) == HTCLIENT && wnd.cls->cursor) {
        ::SetCursor(wnd.cls->cursor);
        return TRUE;
      }
      return FALSE;
    case WM_MOUSEWHEEL:
      return wnd.IsChild() ? wnd.parent->Send(msg, wParam, lParam) : 0;
    case WM_CLOSE:
      if (wnd.object) wnd.object->DestroyWindow();
      return 0;
    case WM_SETTEXT:
      wnd.text = reinterpret_cast<LPCWSTR>(lParam);
      return TRUE;
    case WM_GETTEXT:
      return CopyText(wnd.text, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return wnd.text.GetLength();
    case WM_SETFONT:
      wnd.font = reinterpret_cast<CFont*>(wParam);
      if (LOWORD(static_cast<DWORD_PTR>(lParam))) InvalidateWhole(wnd, true);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(wnd.font);
    case WM_ERASEBKGND:
      return EraseWithClassBrush(wnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      ValidateWithDefaultPaint(wnd);
      return 0;
    case WM_SETICON:
      return SetIconOf(wnd, wParam, reinterpret_cast<HICON>(lParam));
    case WM_GETICON:
      return IconOf(wnd, wParam);
    case WM_NCLBUTTONDOWN:
      if (wParam == static_cast<WPARAM>(HTCAPTION)) BeginMoveByCaption(wnd);
      return 0;
    default:
      return 0;
  }
}

const WindowClass* FindWindowClass(LPCWSTR name) {
  EnsureStandardClasses();
  auto it = Classes().find(Key(name));
  return it == Classes().end() ? nullptr : &it->second;
}

bool AddWindowClass(WindowClass cls) {
  const std::wstring key = Key(cls.name.c_str());
  if (key.empty()) return false;
  Classes().try_emplace(key, std::move(cls));
  return true;
}

}  // namespace plat

BOOL RegisterClass(const WNDCLASSW* cls) {
  if (!cls || !cls->lpszClassName) return FALSE;
  plat::WindowClass c;
  c.name = cls->lpszClassName;
  c.style = cls->style;
  c.cursor = cls->hCursor;
  c.background = cls->hbrBackground;
  return plat::AddWindowClass(std::move(c)) ? TRUE : FALSE;
}

BOOL GetClassInfo(LPCWSTR className, WNDCLASSW* cls) {
  const plat::WindowClass* c = plat::FindWindowClass(className);
  if (!c || !cls) return FALSE;
  cls->style = c->style;
  cls->hCursor = c->cursor;
  cls->hbrBackground = c->background;
  cls->lpszClassName = c->name.c_str();
  return TRUE;
}
