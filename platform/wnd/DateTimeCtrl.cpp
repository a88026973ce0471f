#include "platform/wnd/DateTimeCtrl.h"

#include <QDateTimeEdit>

#include "platform/wnd/ControlWidget.h"
#include "platform/wnd/Window.h"

namespace plat {

class DateTimeProc : public ClassProc {
 public:
  QWidget* MakeWidget(Window& w, QWidget* parent) override {
    edit_ = new ControlWidget<QDateTimeEdit>(w, parent);
    edit_->setTimeSpec(Qt::LocalTime);
    edit_->setDisplayFormat((w.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT ? "HH:mm:ss" : "yyyy-MM-dd");
    edit_->setCalendarPopup((w.style & DTS_UPDOWN) == 0);
    edit_->setFocusPolicy(Qt::StrongFocus);
    return edit_;
  }

  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_SETFONT:
        DefaultProc(w, msg, wParam, lParam);
        edit_->setFont(FontOf(w));
        return 0;
      case WM_KEYDOWN:
        edit_->ForwardKey(static_cast<int>(wParam), ModifiersOfKeyState());
        return 0;
      case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case WM_ERASEBKGND:
        return TRUE;
      case WM_PAINT:
        return 0;
      default:
        return DefaultProc(w, msg, wParam, lParam);
    }
  }

  QDateTimeEdit& Edit() const { return *edit_; }

 private:
  ControlWidget<QDateTimeEdit>* edit_ = nullptr;
};

WindowClass DateTimeClass() {
  WindowClass c;
  c.name = L"SysDateTimePick32";
  c.cursor = LoadCursor(nullptr, IDC_ARROW);
  c.makeProc = [] { return std::make_unique<DateTimeProc>(); };
  c.makeObject = [] { return new CDateTimeCtrl; };
  return c;
}

}  // namespace plat

namespace {

plat::DateTimeProc* ProcOf(const CDateTimeCtrl& c) {
  plat::Window* w = c.Impl();
  return w ? dynamic_cast<plat::DateTimeProc*>(w->proc.get()) : nullptr;
}

}  // namespace

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(L"SysDateTimePick32", L"", style, rect, parent, id);
}

BOOL CDateTimeCtrl::SetTime(std::int64_t time) {
  plat::DateTimeProc* p = ProcOf(*this);
  const QDateTime dt = QDateTime::fromSecsSinceEpoch(time, Qt::LocalTime);
  if (!p || !dt.isValid() || dt < p->Edit().minimumDateTime() || dt > p->Edit().maximumDateTime()) return FALSE;
  p->Edit().setDateTime(dt);
  return TRUE;
}

BOOL CDateTimeCtrl::GetTime(std::int64_t& time) const {
  plat::DateTimeProc* p = ProcOf(*this);
  if (!p) return FALSE;
  time = p->Edit().dateTime().toSecsSinceEpoch();
  return TRUE;
}
