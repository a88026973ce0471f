#include "platform/wnd/ToolTipCtrl.h"

#include <QCursor>
#include <QToolTip>
#include <map>

#include "platform/wnd/ControlProc.h"

namespace plat {
namespace {

QString ShownTip(const Window& tool) { return tool.tips.empty() ? QString() : tool.tips.back().second; }

}  // namespace

// A tool's widget shows one Qt tip: the one set last by any of the tooltip controls (and the
// window itself) that give the tool a tip. A tip on show changes with it.
void SetTip(Window& tool, HWND control, const std::optional<QString>& text) {
  const QString before = ShownTip(tool);
  std::erase_if(tool.tips, [control](const auto& tip) { return tip.first == control; });
  if (text) tool.tips.emplace_back(control, *text);
  const QString after = ShownTip(tool);
  if (!tool.widget) return;
  tool.widget->setToolTip(after);
  if (after != before && QToolTip::isVisible() && QToolTip::text() == before) {
    QToolTip::showText(QCursor::pos(), after, tool.widget);
  }
}

class ToolTipProc : public ClassProc {
 public:
  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case TTM_ACTIVATE:
        Activate(w, wParam != 0);
        return 0;
      case TTM_RELAYEVENT:
        return 0;
      case WM_DESTROY:
        for (const auto& [tool, text] : tips_) Withdraw(w, tool);
        return DefaultProc(w, msg, wParam, lParam);
      default:
        return DefaultProc(w, msg, wParam, lParam);
    }
  }

  void Activate(const Window& self, bool on) {
    active_ = on;
    for (const auto& [tool, text] : tips_) Apply(self, tool);
  }

  void SetText(const Window& self, HWND tool, const CString& text) {
    tips_[tool] = text;
    Apply(self, tool);
  }

  void Remove(const Window& self, HWND tool) {
    tips_.erase(tool);
    Withdraw(self, tool);
  }

  CString Tip(HWND tool) const {
    auto it = tips_.find(tool);
    return it == tips_.end() ? CString() : it->second;
  }

 private:
  void Apply(const Window& self, HWND tool) {
    if (!active_) {
      Withdraw(self, tool);
    } else if (Window* t = WindowOf(tool)) {
      SetTip(*t, self.handle, ToQString(tips_[tool]));
    }
  }

  static void Withdraw(const Window& self, HWND tool) {
    if (Window* t = WindowOf(tool)) SetTip(*t, self.handle, std::nullopt);
  }

  std::map<HWND, CString> tips_;
  bool active_ = true;
};

WindowClass ToolTipClass() { return StandardClass<ToolTipProc, CToolTipCtrl>(L"tooltips_class32", nullptr); }

void SetOwnTip(CWnd& tool, LPCWSTR text) {
  RequireUiThread("plat::SetOwnTip");
  Window* w = tool.Impl();
  if (!w) return;
  const QString tip = ToQString(text);
  SetTip(*w, w->handle, tip.isEmpty() ? std::nullopt : std::optional<QString>(tip));
}

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
  p->SetText(*Impl(), tool->m_hWnd, CString(text));
  return TRUE;
}

void CToolTipCtrl::DelTool(CWnd* tool) {
  if (plat::ToolTipProc* p = ProcOf(*this); p && tool) p->Remove(*Impl(), tool->m_hWnd);
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* tool) {
  if (plat::ToolTipProc* p = ProcOf(*this); p && tool && tool->m_hWnd) p->SetText(*Impl(), tool->m_hWnd, CString(text));
}

void CToolTipCtrl::GetText(CString& text, CWnd* tool) const {
  plat::ToolTipProc* p = ProcOf(*this);
  text = p && tool ? p->Tip(tool->m_hWnd) : CString();
}

void CToolTipCtrl::RelayEvent(LPMSG msg) {
  if (msg) SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
