#include "platform/wnd/DateTimeCtrl.h"

#include <QDateTimeEdit>

#include "platform/wnd/ControlProc.h"
#include "platform/wnd/Window.h"

namespace plat {

class DateTimeProc : public ControlProc {
 public:
  QWidget* MakeWidget(Window& w, QWidget* parent) override {
    edit_ = Adopt(new ControlWidget<QDateTimeEdit>(w, parent));
    edit_->setTimeSpec(Qt::LocalTime);
    edit_->setDisplayFormat((w.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT ? "HH:mm:ss" : "yyyy-MM-dd");
    edit_->setCalendarPopup((w.style & DTS_UPDOWN) == 0);
    return edit_;
  }

  QDateTimeEdit& Edit() const { return *edit_; }

 private:
  ControlWidget<QDateTimeEdit>* edit_ = nullptr;
};

WindowClass DateTimeClass() { return StandardClass<DateTimeProc, CDateTimeCtrl>(L"SysDateTimePick32"); }

}  // namespace plat

namespace {

plat::DateTimeProc* ProcOf(const CDateTimeCtrl& c) {
  plat::RequireUiThread("CDateTimeCtrl");
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

BOOL CDateTimeCtrl::SetFormat(LPCWSTR format) {
  plat::DateTimeProc* p = ProcOf(*this);
  if (!p || !format) return FALSE;
  p->Edit().setDisplayFormat(QString::fromWCharArray(format));
  return TRUE;
}
