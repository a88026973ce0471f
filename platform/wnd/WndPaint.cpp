// Painting. A window that draws itself keeps its client area in a backing image; every device
// context of the window draws there, and the widget's paintEvent only copies it to the screen
// (with the frame: borders, edges, the scroll-bar corner). Invalidation is ours: the update
// region collects what must be painted, and a paint pass, run when the queue has nothing more
// urgent, sends WM_PAINT to each window that has one, parents before children. A transparent
// window starts from its parent's pixels beneath it and is repainted whenever the parent paints
// beneath it.
#include <QCoreApplication>
#include <QEvent>
#include <QBitmap>
#include <QPainter>
#include <map>
#include <utility>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"
#include "platform/gdi/RowCopy.h"
#include "platform/gdi/Surface.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

const QEvent::Type kPaintPass = static_cast<QEvent::Type>(QEvent::User + 105);
bool g_paintScheduled = false;

struct HeldDc {
  HWND wnd;
  std::unique_ptr<CDC> dc;
};
std::vector<HeldDc> g_heldDcs;

class PaintReceiver : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() != kPaintPass) return QObject::event(e);
    g_paintScheduled = false;
    PaintAll();
    return true;
  }
};

// Clip of a context that may draw nothing: a region outside every image.
const QRegion kNothing(QRect(-2, -2, 1, 1));

QRegion ClientShape(const Window& w) {
  QRegion all(QRect(QPoint(), w.backing.size()));
  if (w.region) all &= w.region->translated(-w.ClientOrigin());
  return all;
}

// The parent's pixels beneath a transparent window, within the region to paint.
void ShowParentBeneath(Window& w, const QRegion& rgn) {
  Window* p = w.parent;
  if (!p || !p->selfDrawn || p->backing.isNull() || w.backing.isNull()) return;
  PaintWindow(*p);
  const QPoint offset = QPoint(w.rect.left, w.rect.top) + w.ClientOrigin();
  QPainter painter(&w.backing);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.setClipRegion(rgn);
  painter.drawImage(-offset, p->backing);
}

// A parent that painted beneath transparent children repaints them afterwards.
void InvalidateTransparentChildren(Window& w, const QRegion& painted) {
  for (Window* c : w.children) {
    if (!(c->exStyle & WS_EX_TRANSPARENT) || !c->Visible()) continue;
    const QPoint offset = QPoint(c->rect.left, c->rect.top) + c->ClientOrigin();
    InvalidateClient(*c, painted.translated(-offset), true);
  }
}

bool PaintTree(Window& w) {
  bool painted = PaintWindow(w);
  const std::vector<Window*> kids = w.children;
  for (Window* c : kids) {
    if (WindowOf(c->handle)) painted = PaintTree(*c) || painted;
  }
  return painted;
}

void FillEdge(QPainter& p, const QRect& r, COLORREF topLeft, COLORREF bottomRight) {
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), ToQColor(topLeft));
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), ToQColor(topLeft));
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), ToQColor(bottomRight));
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), ToQColor(bottomRight));
}

void PaintFrame(const Window& w, QPainter& p) {
  QRect r(0, 0, w.rect.Width(), w.rect.Height());
  if (w.HasOwnBorder()) {
    FillEdge(p, r, 0, 0);
    r.adjust(1, 1, -1, -1);
  }
  if (w.exStyle & WS_EX_CLIENTEDGE) {
    FillEdge(p, r, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
    r.adjust(1, 1, -1, -1);
    FillEdge(p, r, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    r.adjust(1, 1, -1, -1);
  }
  if (w.exStyle & WS_EX_STATICEDGE) FillEdge(p, r, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
  if (w.bars[SB_VERT].shown && w.bars[SB_HORZ].shown) {
    const QPoint o = w.ClientOrigin();
    const CRect c = w.ClientRect();
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    p.fillRect(QRect(o.x() + c.Width(), o.y() + c.Height(), 17, 17), ToQColor(face));
  }
}

CDC* HeldDcOf(CDC* dc) {
  for (HeldDc& h : g_heldDcs) {
    if (h.dc.get() == dc) return dc;
  }
  return nullptr;
}

}  // namespace

void ApplyShape(Window& w) {
  if (!w.widget) return;
  if (!w.colorKey && !w.region) {
    w.widget->clearMask();
    return;
  }
  QRegion shape(QRect(0, 0, w.rect.Width(), w.rect.Height()));
  if (w.colorKey) {
    const QRgb key = ToQRgb(*w.colorKey);
    w.keyShape = QRegion(QBitmap::fromImage(w.backing.createMaskFromColor(key, Qt::MaskInColor)));
    shape = w.keyShape.translated(w.ClientOrigin());
  }
  if (w.region) shape &= *w.region;
  w.widget->setMask(shape);
}

void ResizeBacking(Window& w) {
  if (!w.selfDrawn) return;
  const CRect c = w.ClientRect();
  const QSize size(c.Width(), c.Height());
  if (w.backing.size() == size) return;
  QImage img(size, QImage::Format_RGB32);
  img.fill(Qt::white);
  // A window laid out at zero size has no pixels to keep.
  if (!w.backing.isNull() && !img.isNull()) {
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, w.backing);
  }
  w.backing = img;
  w.update &= QRect(QPoint(), size);
}

void InvalidateClient(Window& w, const QRegion& rgn, bool erase) {
  if (!w.selfDrawn) {
    if (w.widget) w.widget->update();
    return;
  }
  const QRegion r = rgn & QRect(QPoint(), w.backing.size());
  if (r.isEmpty()) return;
  w.update += r;
  if (erase) w.eraseNeeded = true;
  SchedulePaint();
}

void InvalidateWhole(Window& w, bool erase) { InvalidateClient(w, QRegion(QRect(QPoint(), w.backing.size())), erase); }

void InvalidateTree(Window& w) {
  InvalidateWhole(w, true);
  for (Window* c : w.children) InvalidateTree(*c);
}

void SchedulePaint() {
  if (g_paintScheduled) return;
  static PaintReceiver* receiver = new PaintReceiver;
  g_paintScheduled = true;
  QCoreApplication::postEvent(receiver, new QEvent(kPaintPass), Qt::LowEventPriority);
}

bool PaintWindow(Window& w) {
  if (w.update.isEmpty() || w.inPaint || !w.Visible() || w.destroying) return false;
  std::shared_ptr<Window> keep = SharedWindowOf(w.handle);
  if (w.exStyle & WS_EX_TRANSPARENT) ShowParentBeneath(w, w.update);
  const QRegion painting = w.update;
  w.inPaint = true;
  w.Send(WM_PAINT);
  w.inPaint = false;
  if (!WindowOf(keep->handle)) return true;
  if (w.colorKey) ApplyShape(w);
  w.update = QRegion();  // a handler that painted nothing must not be asked again and again
  w.eraseNeeded = false;
  InvalidateTransparentChildren(w, painting);
  if (w.widget) w.widget->update(painting.translated(w.ClientOrigin()));
  return true;
}

namespace {

// What a context drew on its window since the last call is shown.
void ShowDrawn(HWND wnd, const CDC& dc) {
  Window* w = WindowOf(wnd);
  DcState* state = dc.State();
  if (!w || !w->widget || !state) return;
  const QRect drawn = std::exchange(state->touched, QRect());
  if (!drawn.isEmpty()) w->widget->update(drawn.translated(w->ClientOrigin() - state->surface.origin));
}

}  // namespace

bool PaintAll() {
  bool painted = false;
  for (Window* top : TopLevelWindows()) {
    if (WindowOf(top->handle)) painted = PaintTree(*top) || painted;
  }
  for (HeldDc& h : g_heldDcs) ShowDrawn(h.wnd, *h.dc);
  ReleaseTemporaryObjects();
  if (painted) NoteActivity();
  return painted;
}

void PaintWidget(Window& w, QWidget& widget, const QRegion& exposed) {
  QPainter p(&widget);
  p.setClipRegion(exposed);
  PaintFrame(w, p);
  if (w.selfDrawn) DrawOpaqueImage(p, w.ClientOrigin(), w.backing, exposed);
}

QFont FontOf(const Window& w) {
  if (w.font && w.font->GetSafeHandle()) return QFontOf(static_cast<HFONT>(*w.font));
  return QFontOf(MessageFont());
}

void ShowHeldDcDrawing() {
  if (!g_heldDcs.empty()) SchedulePaint();
}

void ForgetHeldDcs(HWND wnd) {
  for (HeldDc& h : g_heldDcs) {
    if (h.wnd != wnd) continue;
    h.dc->DeleteDC();
    h.dc->CreateSurfaceDC(DcSurface{});
    h.wnd = nullptr;
  }
}

LRESULT EraseWithClassBrush(Window& w, HDC hdc) {
  CDC* dc = CDC::FromHandle(hdc);
  if (!dc || w.cls->background <= 0) return FALSE;
  const CRect client = w.ClientRect();
  dc->FillRect(&client, CBrush::FromHandle(GetSysColorBrush(w.cls->background - 1)));
  return TRUE;
}

void ValidateWithDefaultPaint(Window& w) {
  if (w.object) CPaintDC dc(w.object);
}

}  // namespace plat

using plat::Window;

CPaintDC::CPaintDC(CWnd* wnd) : wnd_(wnd ? wnd->m_hWnd : nullptr) {
  Window* w = plat::WindowOf(wnd_);
  if (!w || !w->selfDrawn) {
    CreateSurfaceDC(plat::DcSurface{});
    return;
  }
  const QRegion rgn = w->update & plat::ClientShape(*w);
  w->update = QRegion();
  const bool erase = w->eraseNeeded;
  w->eraseNeeded = false;
  CreateSurfaceDC(plat::DcSurface{&w->backing, QPoint(), rgn.isEmpty() ? plat::kNothing : rgn});
  if (const CFont* font = wnd->GetFont()) SelectObject(const_cast<CFont*>(font));
  m_ps.hdc = m_hDC;
  const QRect box = rgn.boundingRect();
  m_ps.rcPaint = plat::ToCRect(box);
  m_ps.fErase = erase && !rgn.isEmpty() && !w->Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_hDC));
}

CPaintDC::~CPaintDC() {
  Window* w = plat::WindowOf(wnd_);
  if (w && w->widget) w->widget->update(QRect(w->ClientOrigin(), w->backing.size()));
}

CClientDC::CClientDC(CWnd* wnd) : wnd_(wnd ? wnd->m_hWnd : nullptr) {
  Window* w = plat::WindowOf(wnd_);
  if (!w || !w->selfDrawn) {
    CreateSurfaceDC(plat::DcSurface{});
    return;
  }
  CreateSurfaceDC(plat::DcSurface{&w->backing, QPoint(), w->region ? plat::ClientShape(*w) : QRegion()});
  if (const CFont* font = wnd->GetFont()) SelectObject(const_cast<CFont*>(font));
}

CClientDC::~CClientDC() { plat::ShowDrawn(wnd_, *this); }

void CWnd::Invalidate(BOOL erase) { InvalidateRect(nullptr, erase); }

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
  plat::RequireUiThread("CWnd::InvalidateRect");
  Window* w = Impl();
  if (!w) return;
  if (rect) plat::InvalidateClient(*w, QRegion(plat::ToQRect(*rect)), erase != FALSE);
  else plat::InvalidateWhole(*w, erase != FALSE);
}

BOOL CWnd::RedrawWindow(LPCRECT rect, CRgn* region, UINT flags) {
  plat::RequireUiThread("CWnd::RedrawWindow");
  Window* w = Impl();
  if (!w) return FALSE;
  QRegion rgn = region ? plat::RegionOf(*region) : QRegion(QRect(QPoint(), w->backing.size()));
  if (rect) rgn = QRegion(plat::ToQRect(*rect));
  if (flags & RDW_INVALIDATE) plat::InvalidateClient(*w, rgn, (flags & RDW_ERASE) && !(flags & RDW_NOERASE));
  if (flags & RDW_VALIDATE) w->update -= rgn;
  if (flags & RDW_ALLCHILDREN) {
    for (Window* c : w->children) c->object->RedrawWindow(nullptr, nullptr, flags & ~RDW_UPDATENOW);
  }
  if (flags & RDW_UPDATENOW) {
    UpdateWindow();
    if (flags & RDW_ALLCHILDREN) plat::PaintTree(*w);
  }
  return TRUE;
}

void CWnd::UpdateWindow() {
  plat::RequireUiThread("CWnd::UpdateWindow");
  if (Window* w = Impl()) plat::PaintWindow(*w);
}

CDC* CWnd::GetDC() {
  plat::RequireUiThread("CWnd::GetDC");
  auto dc = std::make_unique<CClientDC>(this);
  CDC* raw = dc.get();
  plat::g_heldDcs.push_back({m_hWnd, std::move(dc)});
  return raw;
}

int CWnd::ReleaseDC(CDC* dc) {
  if (!plat::HeldDcOf(dc)) return 0;
  std::erase_if(plat::g_heldDcs, [dc](const plat::HeldDc& h) { return h.dc.get() == dc; });
  if (Window* w = Impl(); w && w->widget) w->widget->update();
  return 1;
}
