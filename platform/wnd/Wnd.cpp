// CWnd: creation, destruction, subclassing and message delivery.
#include <QWidget>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

// The messages being handled on the window thread, innermost last; Default() reads it.
struct Context {
  Window* wnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Context> g_context;

void LinkIntoTree(Window& w, Window* parent) {
  if (w.style & WS_CHILD) {
    w.parent = parent;
    parent->children.push_back(&w);
  } else if (parent) {
    w.owner = parent->TopLevel();
  }
}

QWidget* MakeWidget(Window& w) {
  QWidget* parentWidget = w.parent ? w.parent->widget.data() : (w.owner ? w.owner->widget.data() : nullptr);
  QWidget* widget = w.proc->MakeWidget(w, parentWidget);
  w.selfDrawn = widget == nullptr;
  if (!widget) widget = MakeSelfDrawnWidget(w, parentWidget);
  widget->setProperty("plat.hwnd", QVariant::fromValue<qulonglong>(reinterpret_cast<quintptr>(w.handle)));
  if (!w.IsChild()) {
    w.frameFlags = TopLevelFlags(w);
    widget->setWindowFlags(w.frameFlags);
  } else {
    // Hidden until ShowWindow shows it: a child made under a parent not shown yet would otherwise
    // appear with the parent, whatever its style says.
    widget->hide();
  }
  widget->setWindowTitle(ToQString(w.text));
  return widget;
}

void DestroyTree(const std::shared_ptr<Window>& w);

// The owned windows are all taken first: destroying one can destroy others of the list (the
// windows it owns in turn), which must stay alive until the loop is past them.
void DestroyOwned(Window& owner) {
  std::vector<std::shared_ptr<Window>> owned;
  for (Window* top : TopLevelWindows()) {
    if (top->owner == &owner && !top->destroying) owned.push_back(SharedWindowOf(top->handle));
  }
  for (const std::shared_ptr<Window>& w : owned) DestroyTree(w);
}

void Release(const std::shared_ptr<Window>& w) {
  StopTimers(w->handle);
  ForgetHeldDcs(w->handle);
  ForgetDropTarget(*w);
  ForgetWindow(*w);
  if (w->parent) std::erase(w->parent->children, w.get());
  UnregisterWindow(*w);
  if (QWidget* widget = w->widget.data()) {
    widget->blockSignals(true);  // a widget being torn down tells nobody
    widget->hide();
    widget->deleteLater();
  }
  CWnd* obj = w->object;
  const bool owned = w->ownsObject;
  w->object = nullptr;
  if (!obj) return;
  WndAccess::Detach(*obj);
  obj->PostNcDestroy();
  if (owned) delete obj;
}

bool Within(const Window* w, const Window* root) {
  for (; w; w = w->parent) {
    if (w == root) return true;
  }
  return false;
}

void DestroyTree(const std::shared_ptr<Window>& w) {
  if (!w || w->destroying) return;
  if (Within(FocusWindow(), w.get())) SetFocusWindow(nullptr);
  w->destroying = true;
  DestroyOwned(*w);
  if (w->widget) w->widget->hide();
  w->Send(WM_DESTROY);
  const std::vector<Window*> kids = w->children;
  for (Window* child : kids) DestroyTree(SharedWindowOf(child->handle));
  w->Send(WM_NCDESTROY);
  Release(w);
}

}  // namespace

void WndAccess::Attach(CWnd& obj, const std::shared_ptr<Window>& wnd) {
  obj.window_ = wnd;
  obj.m_hWnd = wnd->handle;
  wnd->object = &obj;
}

void WndAccess::Detach(CWnd& obj) {
  obj.window_.reset();
  obj.m_hWnd = nullptr;
}

Window* Window::TopLevel() {
  Window* w = this;
  while (w->IsChild()) w = w->parent;
  return w;
}

bool Window::Visible() const {
  for (const Window* w = this; w; w = w->parent) {
    if (!(w->style & WS_VISIBLE)) return false;
  }
  return true;
}

bool Window::Enabled() const { return !(style & WS_DISABLED); }

LRESULT Window::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Window> keep = SharedWindowOf(handle);
  CWnd* obj = object;
  if (!obj) return 0;
  NoteActivity();
  g_context.push_back({this, msg, wParam, lParam});
  const LRESULT result = obj->WindowProc(msg, wParam, lParam);
  g_context.pop_back();
  return result;
}

std::shared_ptr<Window> CreateWindowFor(CWnd& obj, DWORD exStyle, const WindowClass& cls, const CString& text,
                                        DWORD style, const CRect& rect, Window* parent, UINT id) {
  if ((style & WS_CHILD) && !parent) return nullptr;
  auto w = std::make_shared<Window>();
  w->cls = &cls;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->id = (style & WS_CHILD) ? id : 0;
  w->text = text;
  w->rect = rect;
  w->proc = cls.makeProc ? cls.makeProc() : std::make_unique<ClassProc>();
  LinkIntoTree(*w, parent);
  RegisterWindow(w);
  WndAccess::Attach(obj, w);
  w->widget = MakeWidget(*w);
  FollowDropStyle(*w);
  // The scroll styles of a standard control belong to the control; other windows get bars.
  if ((style & WS_VSCROLL) && w->selfDrawn) w->bars[SB_VERT] = {{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0}, true, true, nullptr};
  if ((style & WS_HSCROLL) && w->selfDrawn) w->bars[SB_HORZ] = {{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0}, true, true, nullptr};
  w->PlaceWidget();
  obj.PreSubclassWindow();
  if (w->Send(WM_CREATE) == -1) {
    DestroyTree(w);
    return nullptr;
  }
  w->Send(WM_SIZE, SIZE_RESTORED, PackSize(w->ClientRect()));
  if ((style & WS_VISIBLE) && obj.m_hWnd) obj.ShowWindow(SW_SHOWNA);
  return obj.m_hWnd ? w : nullptr;
}

}  // namespace plat

using plat::Window;

const CWnd CWnd::wndTop;
const CWnd CWnd::wndBottom;
const CWnd CWnd::wndTopMost;
const CWnd CWnd::wndNoTopMost;

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd) DestroyWindow();
}

CWnd* CWnd::FromHandle(HWND wnd) {
  Window* w = plat::WindowOf(wnd);
  return w ? w->object : nullptr;
}

plat::Window* CWnd::Impl() const { return window_.get(); }

QWidget* CWnd::Widget() const { return window_ ? window_->widget.data() : nullptr; }

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id) {
  plat::RequireUiThread("CWnd::CreateEx");
  if (m_hWnd) return FALSE;
  const plat::WindowClass* cls = plat::FindWindowClass(className);
  if (!cls) return FALSE;
  Window* parentWnd = parent ? parent->Impl() : nullptr;
  const CRect inner = plat::InnerRectForNew(style, rect);
  return plat::CreateWindowFor(*this, exStyle, *cls, CString(windowName), style, inner, parentWnd, id) ? TRUE : FALSE;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CreateEx(0, className, windowName, style, rect, parent, id);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  plat::RequireUiThread("CWnd::DestroyWindow");
  std::shared_ptr<Window> w = window_;
  if (w->destroying) return FALSE;
  plat::DestroyTree(w);
  return TRUE;
}

BOOL CWnd::SubclassWindow(HWND wnd) {
  if (m_hWnd) return FALSE;
  std::shared_ptr<Window> w = plat::SharedWindowOf(wnd);
  if (!w || w->destroying) return FALSE;
  CWnd* previous = w->object;
  const bool owned = w->ownsObject;
  if (previous) plat::WndAccess::Detach(*previous);
  if (owned) delete previous;
  w->ownsObject = false;
  plat::WndAccess::Attach(*this, w);
  PreSubclassWindow();
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  CWnd* item = parent ? parent->GetDlgItem(static_cast<int>(id)) : nullptr;
  return item ? SubclassWindow(item->m_hWnd) : FALSE;
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    CWnd* child = item ? FromHandle(item->hwndItem) : nullptr;
    LRESULT result = 0;
    if (child && child != this && child->OnChildNotify(msg, wParam, lParam, &result)) return result;
  }
  return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Window> w = window_;
  return w ? w->proc->Proc(*w, msg, wParam, lParam) : 0;
}

LRESULT CWnd::Default() {
  for (auto it = plat::g_context.rbegin(); it != plat::g_context.rend(); ++it) {
    if (it->wnd == window_.get()) return DefWindowProc(it->msg, it->wParam, it->lParam);
  }
  return 0;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessage(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessage(m_hWnd, msg, wParam, lParam);
}

BOOL IsWindow(HWND wnd) { return plat::WindowOf(wnd) ? TRUE : FALSE; }
