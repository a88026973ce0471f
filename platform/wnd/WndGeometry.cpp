// CWnd: geometry, visibility, styles, the window tree and dialog item navigation.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/SysMetrics.h"
#include "platform/wnd/Window.h"

namespace plat {

LPARAM PackSize(const CRect& rc) {
  return MAKELPARAM(static_cast<WORD>(rc.Width()), static_cast<WORD>(rc.Height()));
}

namespace {

constexpr int kScrollBar = 17;

// Puts a window's new rectangle in place and tells it about a new client size.
void Reposition(Window& w, const CRect& rect, bool frameChanged, bool redraw) {
  const CRect oldClient = w.ClientRect();
  w.rect = rect;
  w.PlaceWidget();
  const CRect client = w.ClientRect();
  if (client.Size() == oldClient.Size() && !frameChanged) return;
  if (redraw) {
    const bool whole = (w.cls->style & (CS_HREDRAW | CS_VREDRAW)) != 0;
    QRegion exposed(QRect(0, 0, client.Width(), client.Height()));
    if (!whole) exposed -= QRect(0, 0, oldClient.Width(), oldClient.Height());
    InvalidateClient(w, exposed, true);
  }
  w.Send(WM_SIZE, SIZE_RESTORED, PackSize(client));
}

void Restack(Window& w, const CWnd* after) {
  if (!w.widget || !after) return;
  if (after == &CWnd::wndTop) {
    w.widget->raise();
    if (!w.IsChild()) RaiseTopLevel(w);
  } else if (after == &CWnd::wndBottom) {
    w.widget->lower();
  } else if (!w.IsChild() && (after == &CWnd::wndTopMost || after == &CWnd::wndNoTopMost)) {
    const bool top = after == &CWnd::wndTopMost;
    w.exStyle = top ? (w.exStyle | WS_EX_TOPMOST) : (w.exStyle & ~WS_EX_TOPMOST);
    ApplyTopLevelFlags(w);
    RaiseTopLevel(w);
  }
}

// Changes style bits; placement flags (SWP_FRAMECHANGED) apply at once. True when bits changed.
bool ChangeStyle(CWnd& wnd, DWORD& style, DWORD remove, DWORD add, UINT flags) {
  const DWORD old = style;
  style = (old & ~remove) | add;
  if (flags) wnd.SetWindowPos(nullptr, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return old != style;
}

// Moves a rectangle as its top-left corner maps.
template <class Map>
void MoveRect(LPRECT rect, Map map) {
  POINT tl{rect->left, rect->top};
  map(&tl);
  CRect r(*rect);
  r.OffsetRect(tl.x - rect->left, tl.y - rect->top);
  *rect = r;
}

// The dialog manager looks at a control's own style, whether or not the dialog is shown yet.
bool Selectable(const Window* w) { return (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED); }

}  // namespace

bool Window::HasOwnBorder() const {
  // A top-level window with a caption gets its frame from the window manager.
  const bool framedByQt = !IsChild() && (style & WS_CAPTION) == WS_CAPTION;
  return (style & WS_BORDER) && !framedByQt;
}

QMargins Window::NonClient() const {
  int edge = 0;
  if (HasOwnBorder()) edge += 1;
  if (exStyle & WS_EX_CLIENTEDGE) edge += 2;
  if (exStyle & WS_EX_STATICEDGE) edge += 1;
  if (!selfDrawn) edge = 0;  // a standard control draws its own frame
  QMargins m(edge, edge, edge, edge);
  if (bars[SB_VERT].shown) m.setRight(m.right() + kScrollBar);
  if (bars[SB_HORZ].shown) m.setBottom(m.bottom() + kScrollBar);
  return m;
}

CRect Window::ClientRect() const {
  const QMargins m = NonClient();
  const int w = std::max(0, rect.Width() - m.left() - m.right());
  const int h = std::max(0, rect.Height() - m.top() - m.bottom());
  return {0, 0, w, h};
}

QPoint Window::ClientOrigin() const {
  const QMargins m = NonClient();
  return {m.left(), m.top()};
}

QPoint Window::WindowToScreen() const {
  QPoint p(rect.left, rect.top);
  if (IsChild()) p = parent->ClientToScreen(p);
  return p;
}

QPoint Window::ClientToScreen(QPoint client) const { return client + ClientOrigin() + WindowToScreen(); }

QPoint Window::ScreenToClient(QPoint screen) const { return screen - ClientOrigin() - WindowToScreen(); }

// A top-level window without a sizing frame keeps the size the program gives it: the window manager
// is told so (equal smallest and largest sizes), and neither a resize request nor a drag at its
// edge crops it. The bounds are let go while the program itself sets a new size.
void Window::PlaceWidget() {
  if (!widget) return;
  QPoint pos(rect.left, rect.top);
  if (IsChild()) pos += parent->ClientOrigin();
  const QRect g = proc->WidgetGeometry(*this, QRect(pos, QSize(std::max(0, rect.Width()), std::max(0, rect.Height()))));
  const bool fixed = !IsChild() && !(style & WS_THICKFRAME);
  if (!IsChild()) {
    widget->setMinimumSize(0, 0);
    widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  widget->setGeometry(g);
  if (fixed) {
    widget->setMinimumSize(g.size());
    widget->setMaximumSize(g.size());
  }
  ResizeBacking(*this);
  ApplyShape(*this);
  LayoutScrollBars(*this);
  PlaceEmbedded(*this);
}

}  // namespace plat

using plat::Window;

void CWnd::GetClientRect(LPRECT rect) const {
  *rect = window_ ? window_->ClientRect() : CRect();
}

void CWnd::GetWindowRect(LPRECT rect) const {
  if (!window_) {
    *rect = CRect();
    return;
  }
  if (!window_->IsChild()) {
    *rect = window_->OuterRect();
    return;
  }
  const QPoint tl = window_->WindowToScreen();
  *rect = CRect(tl.x(), tl.y(), tl.x() + window_->rect.Width(), tl.y() + window_->rect.Height());
}

void CWnd::ClientToScreen(LPPOINT point) const {
  if (!window_) return;
  const QPoint p = window_->ClientToScreen({point->x, point->y});
  *point = {p.x(), p.y()};
}

void CWnd::ClientToScreen(LPRECT rect) const {
  plat::MoveRect(rect, [this](LPPOINT p) { ClientToScreen(p); });
}

void CWnd::ScreenToClient(LPPOINT point) const {
  if (!window_) return;
  const QPoint p = window_->ScreenToClient({point->x, point->y});
  *point = {p.x(), p.y()};
}

void CWnd::ScreenToClient(LPRECT rect) const {
  plat::MoveRect(rect, [this](LPPOINT p) { ScreenToClient(p); });
}

void CWnd::MapWindowPoints(const CWnd* to, LPPOINT points, UINT count) const {
  for (UINT i = 0; i < count; ++i) {
    ClientToScreen(&points[i]);
    if (to) to->ScreenToClient(&points[i]);
  }
}

void CWnd::MapWindowPoints(const CWnd* to, LPRECT rect) const {
  MapWindowPoints(to, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0 : SWP_NOREDRAW));
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
  MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

// Positions and sizes are those of the window rectangle, the frame of a top-level window
// included; a frame change keeps that rectangle unless the call moves or sizes it.
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  plat::RequireUiThread("CWnd::SetWindowPos");
  std::shared_ptr<Window> w = window_;
  if (!w) return FALSE;
  CRect outer = w->OuterRect();
  if (flags & SWP_FRAMECHANGED) plat::ApplyFrame(*w);
  if (!(flags & SWP_NOMOVE)) outer.MoveToXY(x, y);
  if (!(flags & SWP_NOSIZE)) {
    const CSize size = plat::ClampToTracking(*w, CSize(std::max(0, cx), std::max(0, cy)));
    outer.right = outer.left + size.cx;
    outer.bottom = outer.top + size.cy;
  }
  const CRect rc = plat::InnerRect(*w, outer);
  if (rc != w->rect || (flags & SWP_FRAMECHANGED)) {
    plat::Reposition(*w, rc, (flags & SWP_FRAMECHANGED) != 0, !(flags & SWP_NOREDRAW));
  }
  if (!(flags & SWP_NOZORDER)) plat::Restack(*w, insertAfter);
  if (flags & SWP_SHOWWINDOW) ShowWindow((flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
  return TRUE;
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  if (!window_) return;
  CRect area;
  const CWnd* around = alternateOwner ? alternateOwner : GetOwner();
  if (window_->IsChild()) {
    GetParent()->GetClientRect(&area);
  } else if (around && around->IsWindowVisible()) {
    around->GetWindowRect(&area);
  } else {
    area = plat::WorkArea();
  }
  const CRect me = window_->OuterRect();
  int x = area.left + (area.Width() - me.Width()) / 2;
  int y = area.top + (area.Height() - me.Height()) / 2;
  if (!window_->IsChild()) {
    const CRect work = plat::WorkArea();
    x = std::max<int>(work.left, std::min<int>(x, work.right - me.Width()));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - me.Height()));
  }
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::SetWindowRgn(CRgn* region, BOOL redraw) {
  plat::RequireUiThread("CWnd::SetWindowRgn");
  std::shared_ptr<Window> w = window_;
  if (!w) return 0;
  if (region) {
    w->region = plat::RegionOf(*region);
    region->DeleteObject();  // the window owns the region from now on
  } else {
    w->region.reset();
  }
  plat::ApplyShape(*w);
  if (redraw) plat::InvalidateWhole(*w, true);
  return 1;
}

BOOL CWnd::SetLayeredWindowAttributes(COLORREF key, BYTE alpha, DWORD flags) {
  plat::RequireUiThread("CWnd::SetLayeredWindowAttributes");
  std::shared_ptr<Window> w = window_;
  if (!w || w->IsChild() || !(w->exStyle & WS_EX_LAYERED) || !w->widget) return FALSE;
  w->widget->setWindowOpacity((flags & LWA_ALPHA) ? alpha / 255.0 : 1.0);
  w->colorKey = (flags & LWA_COLORKEY) ? std::optional<COLORREF>(key) : std::nullopt;
  plat::ApplyShape(*w);
  return TRUE;
}

BOOL CWnd::ShowWindow(int command) {
  plat::RequireUiThread("CWnd::ShowWindow");
  std::shared_ptr<Window> w = window_;
  if (!w || !w->widget) return FALSE;
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  QWidget* widget = w->widget;
  w->hiddenWithOwner = false;
  if (command == SW_HIDE) {
    w->style &= ~WS_VISIBLE;
    widget->hide();
    return wasVisible;
  }
  const bool wasMinimized = (w->style & WS_MINIMIZE) != 0;
  w->style |= WS_VISIBLE;
  if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
    if (!wasMinimized && !w->IsChild()) plat::HideOwnedWindows(*w);
    w->style |= WS_MINIMIZE;
    widget->showMinimized();
    return wasVisible;
  }
  w->style &= ~WS_MINIMIZE;
  const bool activate = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
  widget->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
  if (wasMinimized && !w->IsChild()) {
    w->Send(WM_QUERYOPEN);
    widget->showNormal();
    plat::ShowOwnedWindows(*w);
  } else {
    widget->show();
  }
  // What a window shows appears whole, its children too: while it was hidden they may have been
  // moved or sized without being painted.
  if (!wasVisible) plat::InvalidateTree(*w);
  if (!w->IsChild() && activate) {
    widget->raise();
    widget->activateWindow();
    plat::RaiseTopLevel(*w);
  }
  if (!wasVisible && !w->IsChild()) plat::RenewOwnerHints(*w);
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const { return window_ && window_->Visible(); }

BOOL CWnd::EnableWindow(BOOL enable) {
  plat::RequireUiThread("CWnd::EnableWindow");
  std::shared_ptr<Window> w = window_;
  if (!w) return FALSE;
  const bool wasDisabled = !w->Enabled();
  if (wasDisabled == !enable) return wasDisabled;
  w->style = enable ? (w->style & ~WS_DISABLED) : (w->style | WS_DISABLED);
  if (!w->selfDrawn && w->widget) w->widget->setEnabled(enable != FALSE);
  w->Send(WM_ENABLE, enable ? TRUE : FALSE);
  plat::InvalidateWhole(*w, true);
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return window_ && window_->Enabled(); }

DWORD CWnd::GetStyle() const { return window_ ? window_->style : 0; }

DWORD CWnd::GetExStyle() const { return window_ ? window_->exStyle : 0; }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  return window_ && plat::ChangeStyle(*this, window_->style, remove, add, flags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
  if (!window_ || !plat::ChangeStyle(*this, window_->exStyle, remove, add, flags)) return FALSE;
  plat::FollowDropStyle(*window_);
  return TRUE;
}

int CWnd::GetDlgCtrlID() const { return window_ ? static_cast<int>(window_->id) : 0; }

CWnd* CWnd::GetParent() const {
  const Window* p = window_ ? window_->ParentOrOwner() : nullptr;
  return p ? p->object : nullptr;
}

CWnd* CWnd::GetOwner() const { return GetParent(); }

CWnd* CWnd::SetParent(CWnd* newParent) {
  plat::RequireUiThread("CWnd::SetParent");
  std::shared_ptr<Window> w = window_;
  if (!w) return nullptr;
  CWnd* old = GetParent();
  plat::Relink(*w, newParent ? newParent->Impl() : nullptr);
  return old;
}

CWnd* CWnd::GetDlgItem(int id) const {
  if (!window_) return nullptr;
  for (Window* child : window_->children) {
    if (static_cast<int>(child->id) == id && !child->destroying) return child->object;
  }
  return nullptr;
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* from, BOOL previous) const {
  if (!window_) return nullptr;
  const std::vector<Window*>& kids = window_->children;
  auto at = std::find(kids.begin(), kids.end(), from ? from->Impl() : nullptr);
  if (at == kids.end()) return nullptr;
  // The group runs from the nearest WS_GROUP control at or before `from` up to the next one.
  auto first = at;
  while (first != kids.begin() && !((*first)->style & WS_GROUP)) --first;
  auto last = at + 1;
  while (last != kids.end() && !((*last)->style & WS_GROUP)) ++last;
  const auto count = last - first;
  const auto start = at - first;
  for (std::ptrdiff_t step = 1; step < count; ++step) {
    const auto i = previous ? (start - step + count) % count : (start + step) % count;
    Window* w = *(first + i);
    if (plat::Selectable(w)) return w->object;
  }
  return from;
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* from, BOOL previous) const {
  if (!window_) return nullptr;
  const std::vector<Window*>& kids = window_->children;
  const auto count = static_cast<std::ptrdiff_t>(kids.size());
  if (count == 0) return nullptr;
  auto at = std::find(kids.begin(), kids.end(), from ? from->Impl() : nullptr);
  const std::ptrdiff_t start = at == kids.end() ? (previous ? 0 : count - 1) : at - kids.begin();
  for (std::ptrdiff_t step = 1; step <= count; ++step) {
    const auto i = previous ? (start - step + count * 2) % count : (start + step) % count;
    Window* w = kids[static_cast<size_t>(i)];
    if ((w->style & WS_TABSTOP) && plat::Selectable(w)) return w->object;
  }
  return nullptr;
}

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) {
  for (int id = firstId; id <= lastId; ++id) {
    if (CWnd* c = GetDlgItem(id)) c->SendMessage(BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED);
  }
}

BOOL CWnd::IsChild(const CWnd* wnd) const {
  for (const Window* w = wnd ? wnd->Impl() : nullptr; w && w->IsChild(); w = w->parent) {
    if (w->parent == window_.get()) return TRUE;
  }
  return FALSE;
}

CString CWnd::GetWindowText() const {
  const LRESULT n = SendMessage(WM_GETTEXTLENGTH);
  if (n <= 0) return CString();
  std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
  const LRESULT got = SendMessage(WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(static_cast<size_t>(std::max<LRESULT>(0, got)));
  return CString(buf);
}

void CWnd::GetWindowText(CString& text) const { text = GetWindowText(); }

void CWnd::SetWindowText(LPCWSTR text) {
  plat::RequireUiThread("CWnd::SetWindowText");
  SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L""));
  if (window_ && window_->widget && !window_->IsChild()) window_->widget->setWindowTitle(plat::ToQString(text));
}

int CWnd::GetWindowTextLength() const { return static_cast<int>(SendMessage(WM_GETTEXTLENGTH)); }

void CWnd::SetFont(CFont* font, BOOL redraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

CFont* CWnd::GetFont() const { return reinterpret_cast<CFont*>(SendMessage(WM_GETFONT)); }
