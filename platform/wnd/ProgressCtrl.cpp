#include "platform/wnd/ProgressCtrl.h"

#include <QProgressBar>

#include "platform/wnd/ControlProc.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

class ProgressProc : public ControlProc {
 public:
  QWidget* MakeWidget(Window& w, QWidget* parent) override {
    bar_ = Adopt(new ControlWidget<QProgressBar>(w, parent));
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    return bar_;
  }

  LRESULT Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case PBM_SETRANGE:
        return SetRange(static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam))), static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lParam))));
      case PBM_SETRANGE32:
        return SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
      case PBM_SETPOS: {
        const int old = bar_->value();
        bar_->setValue(std::clamp(static_cast<int>(wParam), bar_->minimum(), bar_->maximum()));
        return old;
      }
      case PBM_GETPOS:
        return bar_->value();
      case WM_GETDLGCODE:
        return 0;
      default:
        return ControlProc::Proc(w, msg, wParam, lParam);
    }
  }

 private:
  LRESULT SetRange(int lower, int upper) {
    const LRESULT old = MAKELONG(static_cast<WORD>(bar_->minimum()), static_cast<WORD>(bar_->maximum()));
    bar_->setRange(lower, std::max(lower, upper));
    return old;
  }

  QProgressBar* bar_ = nullptr;
};

}  // namespace

WindowClass ProgressClass() { return StandardClass<ProgressProc, CProgressCtrl>(L"msctls_progress32"); }

}  // namespace plat

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(L"msctls_progress32", L"", style, rect, parent, id);
}

void CProgressCtrl::SetRange(short lower, short upper) {
  SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
}

void CProgressCtrl::SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }

int CProgressCtrl::SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }

int CProgressCtrl::GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
