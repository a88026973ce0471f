// The scroll bars of a window: kept as the platform keeps them (range, page, position clamped to
// [min, max - max(page, 1) + 1], shown while the range scrolls), shown as Qt scroll bars in the
// window's frame, and reporting their use as WM_HSCROLL / WM_VSCROLL.
#include <QScrollBar>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

constexpr int kBar = 17;

void Clamp(SCROLLINFO& s) {
  if (s.nMax < s.nMin) {
    s.nPage = 0;
    s.nPos = s.nMin;
    return;
  }
  const auto span = static_cast<std::int64_t>(s.nMax) - s.nMin + 1;
  if (static_cast<std::int64_t>(s.nPage) > span) s.nPage = static_cast<UINT>(span);
  const std::int64_t top = static_cast<std::int64_t>(s.nMax) - std::max<UINT>(s.nPage, 1) + 1;
  s.nPos = static_cast<int>(std::clamp<std::int64_t>(s.nPos, s.nMin, std::max<std::int64_t>(s.nMin, top)));
}

bool Scrolls(const SCROLLINFO& s) {
  return static_cast<std::int64_t>(s.nMax) - s.nMin + 1 > static_cast<std::int64_t>(std::max<UINT>(s.nPage, 1));
}

void Sync(Window& w, int bar) {
  ScrollBarState& st = w.bars[bar];
  QScrollBar* sb = st.bar;
  if (!sb) return;
  const SCROLLINFO& s = st.info;
  const QSignalBlocker block(sb);
  const int page = static_cast<int>(std::max<UINT>(s.nPage, 1));
  sb->setRange(s.nMin, std::max(s.nMin, s.nMax - page + 1));
  sb->setPageStep(page);
  if (!sb->isSliderDown()) sb->setSliderPosition(s.nPos);
  sb->setEnabled(st.enabled && Scrolls(s));
}

UINT CodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    default: return SB_THUMBTRACK;
  }
}

void Report(HWND handle, int bar, UINT code, int pos) {
  Window* w = WindowOf(handle);
  if (!w) return;
  w->bars[bar].info.nTrackPos = pos;
  const UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  w->Send(msg, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)), 0);
  if (code != SB_THUMBTRACK && (w = WindowOf(handle))) w->Send(msg, SB_ENDSCROLL, 0);
  if ((w = WindowOf(handle))) Sync(*w, bar);
}

QScrollBar* MakeBar(Window& w, int bar) {
  auto* sb = new QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, w.widget);
  sb->setFocusPolicy(Qt::NoFocus);
  const HWND h = w.handle;
  QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [h, bar, sb](int action) {
    if (action == QAbstractSlider::SliderNoAction || action == QAbstractSlider::SliderMove) return;
    Report(h, bar, CodeOf(action), sb->sliderPosition());
  });
  QObject::connect(sb, &QAbstractSlider::sliderMoved, sb, [h, bar](int pos) { Report(h, bar, SB_THUMBTRACK, pos); });
  QObject::connect(sb, &QAbstractSlider::sliderReleased, sb,
                   [h, bar, sb] { Report(h, bar, SB_THUMBPOSITION, sb->sliderPosition()); });
  return sb;
}

// Shows or hides a bar; the client area changes, so the window hears WM_SIZE.
void SetShown(Window& w, int bar, bool show) {
  ScrollBarState& st = w.bars[bar];
  if (st.shown == show) return;
  st.shown = show;
  const DWORD styleBit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  w.style = show ? (w.style | styleBit) : (w.style & ~styleBit);
  w.object->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void LayoutScrollBars(Window& w) {
  if (!w.widget || !w.selfDrawn) return;
  const QPoint o = w.ClientOrigin();
  const CRect c = w.ClientRect();
  for (int bar : {SB_HORZ, SB_VERT}) {
    ScrollBarState& st = w.bars[bar];
    if (!st.shown) {
      if (st.bar) st.bar->hide();
      continue;
    }
    if (!st.bar) st.bar = MakeBar(w, bar);
    if (bar == SB_VERT) {
      st.bar->setGeometry(o.x() + c.Width(), o.y(), kBar, c.Height());
    } else {
      st.bar->setGeometry(o.x(), o.y() + c.Height(), c.Width(), kBar);
    }
    Sync(w, bar);
    st.bar->show();
  }
}

}  // namespace plat

using plat::Window;

BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO info, BOOL) {
  Window* w = Impl();
  if (!w || !w->selfDrawn || !info || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
  SCROLLINFO& s = w->bars[bar].info;
  if (info->fMask & SIF_RANGE) {
    s.nMin = info->nMin;
    s.nMax = info->nMax;
  }
  if (info->fMask & SIF_PAGE) s.nPage = info->nPage;
  if (info->fMask & SIF_POS) s.nPos = info->nPos;
  plat::Clamp(s);
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
    if (plat::Scrolls(s)) {
      w->bars[bar].enabled = true;
      plat::SetShown(*w, bar, true);
    } else if ((info->fMask & SIF_DISABLENOSCROLL) && w->bars[bar].shown) {
      w->bars[bar].enabled = false;
    } else {
      plat::SetShown(*w, bar, false);
    }
  }
  plat::Sync(*w, bar);
  return TRUE;
}

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask) const {
  Window* w = Impl();
  if (!w || !info || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
  const SCROLLINFO& s = w->bars[bar].info;
  info->fMask = mask;
  if (mask & SIF_RANGE) {
    info->nMin = s.nMin;
    info->nMax = s.nMax;
  }
  if (mask & SIF_PAGE) info->nPage = s.nPage;
  if (mask & SIF_POS) info->nPos = s.nPos;
  if (mask & SIF_TRACKPOS) info->nTrackPos = s.nTrackPos;
  return TRUE;
}

int CWnd::SetScrollPos(int bar, int pos, BOOL redraw) {
  const int old = GetScrollPos(bar);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(bar, &si, redraw);
  return old;
}

int CWnd::GetScrollPos(int bar) const {
  Window* w = Impl();
  return w && (bar == SB_HORZ || bar == SB_VERT) ? w->bars[bar].info.nPos : 0;
}

void CWnd::ShowScrollBar(UINT bar, BOOL show) {
  Window* w = Impl();
  if (!w || !w->selfDrawn) return;
  if (bar == SB_HORZ || bar == SB_BOTH) plat::SetShown(*w, SB_HORZ, show != FALSE);
  if (bar == SB_VERT || bar == SB_BOTH) plat::SetShown(*w, SB_VERT, show != FALSE);
}

void CWnd::EnableScrollBarCtrl(int bar, BOOL enable) { ShowScrollBar(static_cast<UINT>(bar), enable); }
