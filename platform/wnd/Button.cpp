#include "platform/wnd/Button.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/ControlProc.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

DWORD TypeOf(const Window& w) { return w.style & BS_TYPEMASK; }

bool Checkable(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_3STATE ||
         type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

bool InsideClient(const Window& w, LPARAM lParam) {
  return w.ClientRect().PtInRect({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

class ButtonProc : public ClassProc {
 public:
  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case BM_GETCHECK:
        return check_;
      case BM_SETCHECK:
        if (Checkable(TypeOf(w)) && check_ != static_cast<UINT>(wParam)) {
          check_ = static_cast<UINT>(wParam) & 3;
          Redraw(w);
        }
        return 0;
      case BM_GETSTATE:
        return check_ | (pushed_ ? BST_PUSHED : 0) | (FocusWindow() == &w ? BST_FOCUS : 0);
      case BM_SETSTATE:
        if (pushed_ != (wParam != 0)) {
          pushed_ = wParam != 0;
          Redraw(w);
        }
        return 0;
      case BM_SETSTYLE:
        w.style = (w.style & 0xFFFF0000u) | static_cast<WORD>(wParam);
        if (lParam) Redraw(w);
        return 0;
      case BM_CLICK:
        Click(w);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        ::SetCapture(w.handle);
        if (FocusWindow() != &w) SetFocusWindow(&w);
        w.Send(BM_SETSTATE, TRUE);
        return 0;
      case WM_MOUSEMOVE:
        if (CaptureWindow() == w.handle && (wParam & MK_LBUTTON) && InsideClient(w, lParam) != pushed_) {
          w.Send(BM_SETSTATE, InsideClient(w, lParam) ? TRUE : FALSE);
        }
        return 0;
      case WM_LBUTTONUP:
        return Release(w, InsideClient(w, lParam));
      case WM_CAPTURECHANGED:
        if (pushed_ && !spaceDown_) w.Send(BM_SETSTATE, FALSE);
        return 0;
      case WM_KILLFOCUS:
        spaceDown_ = false;
        if (CaptureWindow() == w.handle) ReleaseCapture();
        if (pushed_) w.Send(BM_SETSTATE, FALSE);
        Redraw(w);
        return 0;
      case WM_SETFOCUS:
      case WM_ENABLE:
        Redraw(w);
        return 0;
      case WM_KEYDOWN:
        if (wParam == VK_SPACE && !(lParam & (1 << 30))) {
          spaceDown_ = true;
          w.Send(BM_SETSTATE, TRUE);
        }
        return 0;
      case WM_KEYUP:
        if (wParam == VK_SPACE && spaceDown_) {
          spaceDown_ = false;
          w.Send(BM_SETSTATE, FALSE);
          Click(w);
        }
        return 0;
      case WM_CHAR:
        return 0;
      case WM_SETTEXT:
        w.text = reinterpret_cast<LPCWSTR>(lParam);
        Redraw(w);
        return TRUE;
      case WM_GETDLGCODE:
        return DialogCode(w);
      case WM_NCHITTEST:
        return TypeOf(w) == BS_GROUPBOX ? HTTRANSPARENT : DefaultProc(w, msg, wParam, lParam);
      case WM_ERASEBKGND:
        return TRUE;
      case WM_PAINT:
        Paint(w);
        return 0;
      default:
        return DefaultProc(w, msg, wParam, lParam);
    }
  }

 private:
  static void Redraw(Window& w) { InvalidateWhole(w, false); }

  static LRESULT DialogCode(const Window& w) {
    switch (TypeOf(w)) {
      case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      case BS_PUSHBUTTON:
      case BS_OWNERDRAW: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
      case BS_GROUPBOX: return DLGC_STATIC;
      default: return DLGC_BUTTON;
    }
  }

  LRESULT Release(Window& w, bool inside) {
    if (CaptureWindow() != w.handle) return 0;
    const bool click = pushed_ && inside;
    const HWND self = w.handle;
    ReleaseCapture();
    if (click && WindowOf(self)) Click(w);
    return 0;
  }

  // An automatic button changes its check state first, then the parent hears BN_CLICKED.
  void Click(Window& w) {
    const DWORD type = TypeOf(w);
    if (type == BS_AUTOCHECKBOX) w.Send(BM_SETCHECK, check_ ? BST_UNCHECKED : BST_CHECKED);
    if (type == BS_AUTO3STATE) w.Send(BM_SETCHECK, (check_ + 1) % 3);
    if (type == BS_AUTORADIOBUTTON) CheckInGroup(w);
    // The button may be gone once its check has changed.
    const HWND self = w.handle;
    if (WindowOf(self)) NotifyParent(w, BN_CLICKED);
  }

  static void CheckInGroup(Window& w) {
    w.Send(BM_SETCHECK, BST_CHECKED);
    if (!w.parent) return;
    CWnd* self = w.object;
    CWnd* dlg = w.parent->object;
    for (CWnd* other = dlg->GetNextDlgGroupItem(self); other && other != self;
         other = dlg->GetNextDlgGroupItem(other)) {
      Window* o = other->Impl();
      if (o->cls == w.cls && TypeOf(*o) == BS_AUTORADIOBUTTON) o->Send(BM_SETCHECK, BST_UNCHECKED);
    }
  }

  UINT ItemState(Window& w) const {
    UINT state = 0;
    if (pushed_) state |= ODS_SELECTED;
    if (!w.Enabled()) state |= ODS_DISABLED;
    if (FocusWindow() == &w) state |= ODS_FOCUS;
    return state;
  }

  void Paint(Window& w) {
    CPaintDC dc(w.object);
    if (TypeOf(w) == BS_OWNERDRAW) {
      DRAWITEMSTRUCT item;
      item.CtlType = ODT_BUTTON;
      item.CtlID = w.id;
      item.itemAction = ODA_DRAWENTIRE;
      item.itemState = ItemState(w);
      item.hwndItem = w.handle;
      item.hDC = dc.m_hDC;
      item.rcItem = w.ClientRect();
      SendDrawItem(w, item);
      return;
    }
    DrawStandard(w);
  }

  void DrawStandard(Window& w) const {
    QPainter p(&w.backing);
    const QRect r(QPoint(), w.backing.size());
    p.fillRect(r, ToQColor(GetSysColor(COLOR_3DFACE)));
    p.setFont(FontOf(w));
    QStyle* style = QApplication::style();
    const DWORD type = TypeOf(w);
    if (type == BS_GROUPBOX) {
      QStyleOptionGroupBox opt;
      opt.initFrom(w.widget);
      // The style places and clips the title by these metrics; they must be the drawing font's.
      opt.fontMetrics = p.fontMetrics();
      opt.rect = r;
      opt.text = ToQString(w.text);
      opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
      opt.textAlignment = Qt::AlignLeft;
      style->drawComplexControl(QStyle::CC_GroupBox, &opt, &p, nullptr);
      return;
    }
    QStyleOptionButton opt;
    opt.initFrom(w.widget);
    opt.fontMetrics = p.fontMetrics();
    opt.rect = r;
    opt.text = ToQString(w.text);
    opt.state = QStyle::State_None;
    if (w.Enabled()) opt.state |= QStyle::State_Enabled;
    if (FocusWindow() == &w) opt.state |= QStyle::State_HasFocus;
    opt.state |= pushed_ ? QStyle::State_Sunken : QStyle::State_Raised;
    opt.state |= check_ == BST_CHECKED ? QStyle::State_On : (check_ ? QStyle::State_NoChange : QStyle::State_Off);
    if (type == BS_DEFPUSHBUTTON) opt.features |= QStyleOptionButton::DefaultButton;
    const QStyle::ControlElement element = Checkable(type)
        ? ((type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) ? QStyle::CE_RadioButton : QStyle::CE_CheckBox)
        : QStyle::CE_PushButton;
    style->drawControl(element, &opt, &p, nullptr);
  }

  UINT check_ = BST_UNCHECKED;
  bool pushed_ = false;
  bool spaceDown_ = false;
};

}  // namespace

WindowClass ButtonClass() { return StandardClass<ButtonProc, CButton>(L"Button"); }

}  // namespace plat

BOOL CButton::Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(L"Button", caption, style, rect, parent, id);
}

int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }

void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }

UINT CButton::GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }

void CButton::SetState(BOOL pushed) { SendMessage(BM_SETSTATE, pushed ? TRUE : FALSE); }

UINT CButton::GetButtonStyle() const { return GetStyle() & 0xFFFF; }

void CButton::SetButtonStyle(UINT style, BOOL redraw) { SendMessage(BM_SETSTYLE, style, redraw); }

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg != WM_DRAWITEM) return CWnd::OnChildNotify(msg, wParam, lParam, result);
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  if (result) *result = TRUE;
  return TRUE;
}
