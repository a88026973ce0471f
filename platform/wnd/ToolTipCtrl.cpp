#include "platform/wnd/ToolTipCtrl.h"

#include <QCursor>
#include <QToolTip>
#include <map>

#include "platform/wnd/ControlProc.h"

namespace plat {

class ToolTipProc : public ClassProc {
 public:
  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case TTM_ACTIVATE:
        Activate(wParam != 0);
        return 0;
      case TTM_RELAYEVENT:
        return 0;
      default:
        return DefaultProc(w, msg, wParam, lParam);
    }
  }

  void Activate(bool on) {
    active_ = on;
    for (const auto& [tool, text] : tips_) Apply(tool);
  }

  void SetTip(HWND tool, const CString& text) {
    tips_[tool] = text;
    Apply(tool);
  }

  void Remove(HWND tool) {
    tips_.erase(tool);
    if (Window* t = WindowOf(tool); t && t->widget) t->widget->setToolTip(QString());
  }

  CString Tip(HWND tool) const {
    auto it = tips_.find(tool);
    return it == tips_.end() ? CString() : it->second;
  }

 private:
  void Apply(HWND tool) {
    Window* t = WindowOf(tool);
    if (!t || !t->widget) return;
    const QString text = active_ ? ToQString(tips_[tool]) : QString();
    const QString shown = t->widget->toolTip();
    t->widget->setToolTip(text);
    if (QToolTip::isVisible() && QToolTip::text() == shown && shown != text) {
      QToolTip::showText(QCursor::pos(), text, t->widget);
    }
  }

  std::map<HWND, CString> tips_;
  bool active_ = true;
};

WindowClass ToolTipClass() { return StandardClass<ToolTipProc, CToolTipCtrl>(L"tooltips_class32", nullptr); }

}  // namespace plat

namespace {

plat::ToolTipProc* ProcOf(const CToolTipCtrl& c) {
  plat::RequireUiThread("CToolTipCtrl");
  plat::Window* w = c.Impl();
  return w ? dynamic_cast<plat::ToolTipProc*>(w->proc.get()) : nullptr;
}

}  // namespace

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"tooltips_class32", L"", WS_POPUP | style, CRect(), parent, 0);
}

void CToolTipCtrl::Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }

BOOL CToolTipCtrl::AddTool(CWnd* tool, LPCWSTR text) {
  plat::ToolTipProc* p = ProcOf(*this);
  if (!p || !tool || !tool->m_hWnd) return FALSE;
  p->SetTip(tool->m_hWnd, CString(text));
  return TRUE;
}

void CToolTipCtrl::DelTool(CWnd* tool) {
  if (plat::ToolTipProc* p = ProcOf(*this); p && tool) p->Remove(tool->m_hWnd);
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* tool) {
  if (plat::ToolTipProc* p = ProcOf(*this); p && tool && tool->m_hWnd) p->SetTip(tool->m_hWnd, CString(text));
}

void CToolTipCtrl::GetText(CString& text, CWnd* tool) const {
  plat::ToolTipProc* p = ProcOf(*this);
  text = p && tool ? p->Tip(tool->m_hWnd) : CString();
}

void CToolTipCtrl::RelayEvent(LPMSG msg) {
  if (msg) SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
