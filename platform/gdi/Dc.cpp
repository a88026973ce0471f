// Device contexts: creation, sharing, selected objects, attributes, coordinates and clipping.
#include "platform/gdi/Dc.h"

#include <utility>

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"

namespace plat {
namespace {

LiveTable<DcState>& Contexts() {
  static auto* table = new LiveTable<DcState>;
  return *table;
}

thread_local std::vector<std::unique_ptr<CDC>> temporaryContexts;

struct RegisteredDcState : DcState {
  ~RegisteredDcState() { Contexts().Remove(static_cast<const DcState*>(this)); }
};

std::shared_ptr<DcState> NewDcState(DcState::Kind kind) {
  auto state = std::make_shared<RegisteredDcState>();
  state->kind = kind;
  state->attr.pen = StockData(BLACK_PEN);
  state->attr.brush = StockData(WHITE_BRUSH);
  state->attr.font = StockData(SYSTEM_FONT);
  if (kind == DcState::Kind::Memory) state->attr.bitmap = DefaultBitmap();
  Contexts().Add(state);
  return state;
}

std::shared_ptr<DcState> DcStateOf(HDC handle) { return Contexts().Find(handle); }

template <class T>
T* Select(std::shared_ptr<GdiData>& slot, T* object, GdiKind kind) {
  if (object == nullptr || object->Data() == nullptr || object->Data()->kind != kind) {
    return nullptr;
  }
  auto previous = std::exchange(slot, object->Data());
  return static_cast<T*>(OwnerOf(previous));
}

}  // namespace

int RegionKindOf(const QRegion& region) {
  if (region.isEmpty()) return NULLREGION;
  return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void ReleaseTemporaryContexts() { temporaryContexts.clear(); }

QRgb PixelOf(COLORREF color, bool mono) {
  if (mono) {
    const int luminance = GetRValue(color) * 30 + GetGValue(color) * 59 + GetBValue(color) * 11;
    return luminance >= 12800 ? 0xFFFFFFFFu : 0xFF000000u;
  }
  return ToQRgb(color);
}

COLORREF ColorOf(QRgb pixel) { return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)); }

Target DcState::target() const {
  Target t;
  QImage* image = nullptr;
  if (kind == Kind::Memory) {
    if (attr.bitmap == nullptr) return t;
    image = &attr.bitmap->image;
    t.mono = attr.bitmap->mono;
  } else {
    image = surface.image;
    t.origin = surface.origin;
    t.touched = &touched;
  }
  if (image == nullptr || image->isNull() || image->depth() != 32) return t;
  t.image = image;
  const QRect bounds = image->rect();
  t.clip = kind == Kind::Surface && !surface.clip.isEmpty()
               ? surface.clip.translated(t.origin).intersected(bounds)
               : QRegion(bounds);
  if (attr.clip) t.clip &= attr.clip->translated(t.origin);
  return t;
}

QRegion DcState::deviceClip() const {
  const Target t = target();
  return t.clip.translated(-t.origin);
}

QRect DcState::deviceBounds() const {
  const Target t = target();
  return t.image != nullptr ? t.image->rect().translated(-t.origin) : QRect();
}

QPoint DcState::toDevice(int x, int y) const {
  const QPoint& wo = attr.windowOrg;
  const QPoint& vo = attr.viewportOrg;
  if (attr.mapMode != MM_ANISOTROPIC) return QPoint(x - wo.x() + vo.x(), y - wo.y() + vo.y());
  return QPoint(MulDiv(x - wo.x(), attr.viewportExt.width(), attr.windowExt.width()) + vo.x(),
                MulDiv(y - wo.y(), attr.viewportExt.height(), attr.windowExt.height()) + vo.y());
}

QPoint DcState::toLogical(int x, int y) const {
  const QPoint& wo = attr.windowOrg;
  const QPoint& vo = attr.viewportOrg;
  if (attr.mapMode != MM_ANISOTROPIC) return QPoint(x - vo.x() + wo.x(), y - vo.y() + wo.y());
  return QPoint(MulDiv(x - vo.x(), attr.windowExt.width(), attr.viewportExt.width()) + wo.x(),
                MulDiv(y - vo.y(), attr.windowExt.height(), attr.viewportExt.height()) + wo.y());
}

QRect DcState::toDevice(const RECT& r) const {
  if (r.right <= r.left || r.bottom <= r.top) return QRect();
  return deviceBox(r);
}

QRect DcState::deviceBox(const RECT& r) const {
  const QPoint a = toDevice(r.left, r.top);
  const QPoint b = toDevice(r.right, r.bottom);
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
               QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

double DcState::scaleY() const {
  if (attr.mapMode != MM_ANISOTROPIC) return 1.0;
  return std::abs(double(attr.viewportExt.height()) / attr.windowExt.height());
}

double DcState::scaleX() const {
  if (attr.mapMode != MM_ANISOTROPIC) return 1.0;
  return std::abs(double(attr.viewportExt.width()) / attr.windowExt.width());
}

}  // namespace plat

using plat::DcState;
using plat::GdiKind;

CDC::~CDC() = default;

plat::DcState* CDC::State() const { return state_.get(); }

void CDC::AdoptState(std::shared_ptr<plat::DcState> state) {
  state_ = std::move(state);
  m_hDC = reinterpret_cast<HDC>(state_.get());
}

BOOL CDC::Attach(HDC dc) {
  if (state_ != nullptr) return FALSE;
  auto state = plat::DcStateOf(dc);
  if (state == nullptr) return FALSE;
  AdoptState(std::move(state));
  return TRUE;
}

HDC CDC::Detach() {
  HDC handle = m_hDC;
  AdoptState(nullptr);
  return handle;
}

CDC* CDC::FromHandle(HDC dc) {
  auto state = plat::DcStateOf(dc);
  if (state == nullptr) return nullptr;
  auto wrapper = std::make_unique<CDC>();
  wrapper->AdoptState(std::move(state));
  plat::temporaryContexts.push_back(std::move(wrapper));
  return plat::temporaryContexts.back().get();
}

BOOL CDC::CreateSurfaceDC(const plat::DcSurface& surface) {
  if (state_ != nullptr) return FALSE;
  auto state = plat::NewDcState(DcState::Kind::Surface);
  state->surface = surface;
  AdoptState(std::move(state));
  return TRUE;
}

BOOL CDC::CreateCompatibleDC(CDC* reference) {
  if (state_ != nullptr) return FALSE;
  auto state = plat::NewDcState(DcState::Kind::Memory);
  if (reference != nullptr && reference->State() != nullptr) state->caps = reference->State()->caps;
  AdoptState(std::move(state));
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (state_ == nullptr) return FALSE;
  AdoptState(nullptr);
  return TRUE;
}

BOOL CDC::IsPrinting() const { return state_ != nullptr && state_->printing; }

int CDC::GetDeviceCaps(int index) const {
  if (state_ == nullptr) return 0;
  const plat::DeviceCaps& caps = state_->caps;
  const QRect bounds = state_->deviceBounds();
  switch (index) {
    case LOGPIXELSX: return caps.dpiX;
    case LOGPIXELSY: return caps.dpiY;
    case HORZRES: return caps.horzRes > 0 ? caps.horzRes : bounds.width();
    case VERTRES: return caps.vertRes > 0 ? caps.vertRes : bounds.height();
    case NUMCOLORS: return caps.numColors;
    case BITSPIXEL: return caps.numColors == 2 ? 1 : 32;
    default: return 0;
  }
}

int CDC::SaveDC() {
  if (state_ == nullptr) return 0;
  state_->saved.push_back(state_->attr);
  return static_cast<int>(state_->saved.size());
}

BOOL CDC::RestoreDC(int saved) {
  if (state_ == nullptr || saved == 0) return FALSE;
  const int count = static_cast<int>(state_->saved.size());
  const int index = saved > 0 ? saved - 1 : count + saved;
  if (index < 0 || index >= count) return FALSE;
  state_->attr = state_->saved[static_cast<size_t>(index)];
  state_->saved.resize(static_cast<size_t>(index));
  return TRUE;
}

CPen* CDC::SelectObject(CPen* pen) {
  return state_ ? plat::Select(state_->attr.pen, pen, GdiKind::Pen) : nullptr;
}

CBrush* CDC::SelectObject(CBrush* brush) {
  return state_ ? plat::Select(state_->attr.brush, brush, GdiKind::Brush) : nullptr;
}

CFont* CDC::SelectObject(CFont* font) {
  return state_ ? plat::Select(state_->attr.font, font, GdiKind::Font) : nullptr;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  if (state_ == nullptr || state_->kind != DcState::Kind::Memory) return nullptr;
  return plat::Select(state_->attr.bitmap, bitmap, GdiKind::Bitmap);
}

CGdiObject* CDC::SelectStockObject(int index) {
  auto data = plat::StockData(index);
  if (state_ == nullptr || data == nullptr) return nullptr;
  plat::DcAttributes& a = state_->attr;
  std::shared_ptr<plat::GdiData>* slot = nullptr;
  switch (data->kind) {
    case GdiKind::Pen: slot = &a.pen; break;
    case GdiKind::Brush: slot = &a.brush; break;
    case GdiKind::Font: slot = &a.font; break;
    default: return nullptr;
  }
  return plat::OwnerOf(std::exchange(*slot, data));
}

CPen* CDC::GetCurrentPen() const {
  return state_ ? static_cast<CPen*>(plat::OwnerOf(state_->attr.pen)) : nullptr;
}

CBrush* CDC::GetCurrentBrush() const {
  return state_ ? static_cast<CBrush*>(plat::OwnerOf(state_->attr.brush)) : nullptr;
}

CFont* CDC::GetCurrentFont() const {
  return state_ ? static_cast<CFont*>(plat::OwnerOf(state_->attr.font)) : nullptr;
}

CBitmap* CDC::GetCurrentBitmap() const {
  return state_ ? static_cast<CBitmap*>(plat::OwnerOf(state_->attr.bitmap)) : nullptr;
}

COLORREF CDC::SetTextColor(COLORREF color) {
  return state_ ? std::exchange(state_->attr.textColor, color) : CLR_INVALID;
}

COLORREF CDC::GetTextColor() const { return state_ ? state_->attr.textColor : CLR_INVALID; }

COLORREF CDC::SetBkColor(COLORREF color) {
  return state_ ? std::exchange(state_->attr.bkColor, color) : CLR_INVALID;
}

COLORREF CDC::GetBkColor() const { return state_ ? state_->attr.bkColor : CLR_INVALID; }

int CDC::SetBkMode(int mode) {
  if (state_ == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(state_->attr.bkMode, mode);
}

int CDC::GetBkMode() const { return state_ ? state_->attr.bkMode : 0; }

UINT CDC::SetTextAlign(UINT align) {
  return state_ ? std::exchange(state_->attr.textAlign, align) : 0;
}

UINT CDC::GetTextAlign() const { return state_ ? state_->attr.textAlign : 0; }

int CDC::SetPolyFillMode(int mode) {
  if (state_ == nullptr || (mode != ALTERNATE && mode != WINDING)) return 0;
  return std::exchange(state_->attr.polyFillMode, mode);
}

int CDC::GetPolyFillMode() const { return state_ ? state_->attr.polyFillMode : 0; }

int CDC::SetMapMode(int mode) {
  if (state_ == nullptr || (mode != MM_TEXT && mode != MM_ANISOTROPIC)) return 0;
  plat::DcAttributes& a = state_->attr;
  if (mode == MM_TEXT) a.windowExt = a.viewportExt = QSize(1, 1);
  return std::exchange(a.mapMode, mode);
}

int CDC::GetMapMode() const { return state_ ? state_->attr.mapMode : 0; }

namespace {
CPoint ToCPoint(QPoint p) { return CPoint(p.x(), p.y()); }
CSize ToCSize(QSize s) { return CSize(s.width(), s.height()); }
}  // namespace

CPoint CDC::SetWindowOrg(int x, int y) {
  if (state_ == nullptr) return CPoint();
  return ToCPoint(std::exchange(state_->attr.windowOrg, QPoint(x, y)));
}

CPoint CDC::OffsetWindowOrg(int dx, int dy) {
  if (state_ == nullptr) return CPoint();
  const QPoint old = state_->attr.windowOrg;
  state_->attr.windowOrg += QPoint(dx, dy);
  return ToCPoint(old);
}

CPoint CDC::GetWindowOrg() const { return state_ ? ToCPoint(state_->attr.windowOrg) : CPoint(); }

CSize CDC::SetWindowExt(int cx, int cy) {
  if (state_ == nullptr) return CSize();
  const QSize old = state_->attr.windowExt;
  if (state_->attr.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
    state_->attr.windowExt = QSize(cx, cy);
  }
  return ToCSize(old);
}

CSize CDC::GetWindowExt() const { return state_ ? ToCSize(state_->attr.windowExt) : CSize(); }

CPoint CDC::SetViewportOrg(int x, int y) {
  if (state_ == nullptr) return CPoint();
  return ToCPoint(std::exchange(state_->attr.viewportOrg, QPoint(x, y)));
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) {
  if (state_ == nullptr) return CPoint();
  const QPoint old = state_->attr.viewportOrg;
  state_->attr.viewportOrg += QPoint(dx, dy);
  return ToCPoint(old);
}

CPoint CDC::GetViewportOrg() const {
  return state_ ? ToCPoint(state_->attr.viewportOrg) : CPoint();
}

CSize CDC::SetViewportExt(int cx, int cy) {
  if (state_ == nullptr) return CSize();
  const QSize old = state_->attr.viewportExt;
  if (state_->attr.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
    state_->attr.viewportExt = QSize(cx, cy);
  }
  return ToCSize(old);
}

CSize CDC::GetViewportExt() const {
  return state_ ? ToCSize(state_->attr.viewportExt) : CSize();
}

namespace {
using Mapping = QPoint (DcState::*)(int, int) const;

void MapPoints(const DcState* s, LPPOINT points, int count, Mapping map) {
  if (s == nullptr || points == nullptr) return;
  for (int i = 0; i < count; ++i) {
    const QPoint p = (s->*map)(points[i].x, points[i].y);
    points[i].x = p.x();
    points[i].y = p.y();
  }
}

void MapRect(const DcState* s, LPRECT rect, Mapping map) {
  if (s == nullptr || rect == nullptr) return;
  const QPoint a = (s->*map)(rect->left, rect->top);
  const QPoint b = (s->*map)(rect->right, rect->bottom);
  *rect = CRect(a.x(), a.y(), b.x(), b.y());
}

void MapSize(const DcState* s, LPSIZE size, Mapping map) {
  if (s == nullptr || size == nullptr) return;
  const QPoint o = (s->*map)(0, 0);
  const QPoint p = (s->*map)(size->cx, size->cy);
  size->cx = p.x() - o.x();
  size->cy = p.y() - o.y();
}
}  // namespace

void CDC::LPtoDP(LPPOINT points, int count) const {
  MapPoints(State(), points, count, &DcState::toDevice);
}
void CDC::LPtoDP(LPRECT rect) const { MapRect(State(), rect, &DcState::toDevice); }
void CDC::LPtoDP(LPSIZE size) const { MapSize(State(), size, &DcState::toDevice); }
void CDC::DPtoLP(LPPOINT points, int count) const {
  MapPoints(State(), points, count, &DcState::toLogical);
}
void CDC::DPtoLP(LPRECT rect) const { MapRect(State(), rect, &DcState::toLogical); }
void CDC::DPtoLP(LPSIZE size) const { MapSize(State(), size, &DcState::toLogical); }

int CDC::GetClipBox(LPRECT box) const {
  if (state_ == nullptr || box == nullptr) return ERROR;
  const QRegion clip = state_->deviceClip();
  *box = RECT();
  if (clip.isEmpty()) return NULLREGION;
  const QRect b = clip.boundingRect();
  const QPoint a = state_->toLogical(b.left(), b.top());
  const QPoint c = state_->toLogical(b.right() + 1, b.bottom() + 1);
  *box = CRect(std::min(a.x(), c.x()), std::min(a.y(), c.y()), std::max(a.x(), c.x()),
               std::max(a.y(), c.y()));
  return plat::RegionKindOf(clip);
}

int CDC::SelectClipRgn(const CRgn* region) {
  if (state_ == nullptr) return ERROR;
  if (region == nullptr) {
    state_->attr.clip.reset();
  } else {
    const auto& data = region->Data();
    if (data == nullptr || data->kind != GdiKind::Region) return ERROR;
    state_->attr.clip = data->region;
  }
  return plat::RegionKindOf(state_->deviceClip());
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom) {
  if (state_ == nullptr) return ERROR;
  const QRect rect = state_->toDevice(CRect(left, top, right, bottom));
  plat::DcAttributes& a = state_->attr;
  a.clip = (a.clip ? *a.clip : QRegion(state_->deviceBounds())).intersected(rect);
  return plat::RegionKindOf(state_->deviceClip());
}
