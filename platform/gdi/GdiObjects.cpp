#include "platform/gdi/GdiObjects.h"

#include <array>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "platform/gdi/GdiState.h"

namespace plat {
namespace {

LiveTable<GdiData>& Handles() {
  static auto* table = new LiveTable<GdiData>;  // outlives every object, including static ones
  return *table;
}

thread_local std::vector<std::unique_ptr<CGdiObject>> temporaries;

std::unique_ptr<CGdiObject> NewObjectOfKind(GdiKind kind) {
  switch (kind) {
    case GdiKind::Pen: return std::make_unique<CPen>();
    case GdiKind::Brush: return std::make_unique<CBrush>();
    case GdiKind::Font: return std::make_unique<CFont>();
    case GdiKind::Bitmap: return std::make_unique<CBitmap>();
    case GdiKind::Region: return std::make_unique<CRgn>();
  }
  return nullptr;
}

bool IsObjectOfKind(const CGdiObject* object, GdiKind kind) {
  switch (kind) {
    case GdiKind::Pen: return dynamic_cast<const CPen*>(object) != nullptr;
    case GdiKind::Brush: return dynamic_cast<const CBrush*>(object) != nullptr;
    case GdiKind::Font: return dynamic_cast<const CFont*>(object) != nullptr;
    case GdiKind::Bitmap: return dynamic_cast<const CBitmap*>(object) != nullptr;
    case GdiKind::Region: return dynamic_cast<const CRgn*>(object) != nullptr;
  }
  return false;
}

std::shared_ptr<GdiData> SolidPen(COLORREF color, bool null) {
  auto data = NewGdiData(GdiKind::Pen);
  data->pen.lopnStyle = null ? PS_NULL : PS_SOLID;
  data->pen.lopnColor = color;
  return data;
}

std::shared_ptr<GdiData> SolidBrush(COLORREF color, bool null) {
  auto data = NewGdiData(GdiKind::Brush);
  data->brush.lbStyle = null ? BS_NULL : BS_SOLID;
  data->brush.lbColor = color;
  return data;
}

void CopyFaceName(LOGFONTW& font, LPCTSTR face) {
  std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
  if (face != nullptr) std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
}

std::shared_ptr<GdiData> FontData(const LOGFONTW& font) {
  auto data = NewGdiData(GdiKind::Font);
  data->font = font;
  return data;
}

LOGFONTW SystemFont() {
  LOGFONTW font;
  font.lfHeight = 16;
  font.lfWeight = FW_BOLD;
  font.lfCharSet = ANSI_CHARSET;
  CopyFaceName(font, L"DejaVu Sans");
  return font;
}

struct StockEntry {
  std::shared_ptr<GdiData> data;
  std::unique_ptr<CGdiObject> owner;
};

std::shared_ptr<GdiData> MakeStock(int index) {
  switch (index) {
    case WHITE_BRUSH: return SolidBrush(RGB(255, 255, 255), false);
    case LTGRAY_BRUSH: return SolidBrush(RGB(192, 192, 192), false);
    case GRAY_BRUSH: return SolidBrush(RGB(128, 128, 128), false);
    case DKGRAY_BRUSH: return SolidBrush(RGB(64, 64, 64), false);
    case BLACK_BRUSH: return SolidBrush(RGB(0, 0, 0), false);
    case NULL_BRUSH: return SolidBrush(RGB(0, 0, 0), true);
    case WHITE_PEN: return SolidPen(RGB(255, 255, 255), false);
    case BLACK_PEN: return SolidPen(RGB(0, 0, 0), false);
    case NULL_PEN: return SolidPen(RGB(0, 0, 0), true);
    case SYSTEM_FONT: return FontData(SystemFont());
    case DEFAULT_GUI_FONT: return FontData(MessageFont());
    default: return nullptr;
  }
}

std::array<StockEntry, DEFAULT_GUI_FONT + 1>& StockTable() {
  static auto* table = [] {
    auto* t = new std::array<StockEntry, DEFAULT_GUI_FONT + 1>;
    for (int i = 0; i <= DEFAULT_GUI_FONT; ++i) {
      auto& entry = (*t)[static_cast<size_t>(i)];
      entry.data = MakeStock(i);
      if (entry.data == nullptr) continue;
      entry.data->stock = true;
      entry.owner = NewObjectOfKind(entry.data->kind);
      entry.owner->Attach(entry.data.get());
    }
    return t;
  }();
  return *table;
}

// System colours.
constexpr int kSysColorCount = COLOR_INFOBK + 1;
struct SysColorTable {
  std::mutex lock;
  std::array<COLORREF, kSysColorCount> colors{};
  std::array<StockEntry, kSysColorCount> brushes;
};
SysColorTable& SysColors() {
  static auto* table = [] {
    auto* t = new SysColorTable;
    const std::pair<int, COLORREF> defaults[] = {
        {COLOR_WINDOW, 0xFFFFFF},     {COLOR_WINDOWTEXT, 0x000000}, {COLOR_HIGHLIGHT, 0xD77800},
        {COLOR_HIGHLIGHTTEXT, 0xFFFFFF}, {COLOR_BTNFACE, 0xF0F0F0},  {COLOR_BTNSHADOW, 0xA0A0A0},
        {COLOR_GRAYTEXT, 0x6D6D6D},   {COLOR_BTNTEXT, 0x000000},    {COLOR_BTNHIGHLIGHT, 0xFFFFFF},
        {COLOR_3DDKSHADOW, 0x696969}, {COLOR_3DLIGHT, 0xE3E3E3},    {COLOR_INFOTEXT, 0x000000},
        {COLOR_INFOBK, 0xE1FFFF}};
    for (const auto& [index, color] : defaults) t->colors[static_cast<size_t>(index)] = color;
    for (size_t i = 0; i < t->brushes.size(); ++i) {
      auto& entry = t->brushes[i];
      entry.data = SolidBrush(t->colors[i], false);
      entry.data->stock = true;
      entry.owner = std::make_unique<CBrush>();
      entry.owner->Attach(entry.data.get());
    }
    return t;
  }();
  return *table;
}

bool ValidSysColor(int index) { return index >= 0 && index < kSysColorCount; }

}  // namespace

GdiData::~GdiData() { Handles().Remove(this); }

std::shared_ptr<GdiData> NewGdiData(GdiKind kind) {
  auto data = std::make_shared<GdiData>(kind);
  Handles().Add(data);
  return data;
}

std::shared_ptr<GdiData> GdiDataOf(HGDIOBJ handle) { return Handles().Find(handle); }

CGdiObject* OwnerOf(const std::shared_ptr<GdiData>& data) {
  if (data == nullptr) return nullptr;
  if (data->owner != nullptr) return data->owner;
  auto object = NewObjectOfKind(data->kind);
  object->Attach(data.get());
  temporaries.push_back(std::move(object));
  return temporaries.back().get();
}

std::shared_ptr<GdiData> StockData(int index) {
  if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
  return StockTable()[static_cast<size_t>(index)].data;
}

std::shared_ptr<GdiData> DefaultBitmap() {
  static auto* entry = [] {
    auto* e = new StockEntry;
    e->data = NewGdiData(GdiKind::Bitmap);
    e->data->stock = true;
    e->data->mono = true;
    e->data->image = QImage(1, 1, QImage::Format_RGB32);
    e->data->image.fill(0xFF000000u);
    e->owner = std::make_unique<CBitmap>();
    e->owner->Attach(e->data.get());
    return e;
  }();
  return entry->data;
}

void SetSysColor(int index, COLORREF color) {
  if (!ValidSysColor(index)) return;
  auto& table = SysColors();
  std::lock_guard<std::mutex> guard(table.lock);
  table.colors[static_cast<size_t>(index)] = color;
  table.brushes[static_cast<size_t>(index)].data->brush.lbColor = color;
}

LOGFONTW MessageFont() {
  LOGFONTW font;
  font.lfHeight = -12;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  CopyFaceName(font, L"DejaVu Sans");
  return font;
}

void ReleaseTemporaryObjects() {
  ReleaseTemporaryContexts();
  temporaries.clear();
}

CString FaceNameOf(const LOGFONTW& font) {
  size_t length = 0;
  while (length < LF_FACESIZE && font.lfFaceName[length] != L'\0') ++length;
  return CString(std::wstring(font.lfFaceName, length));
}

}  // namespace plat

using plat::GdiKind;

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject::CGdiObject(CGdiObject&& other) noexcept { *this = std::move(other); }

CGdiObject& CGdiObject::operator=(CGdiObject&& other) noexcept {
  if (this == &other) return *this;
  DeleteObject();
  data_ = std::move(other.data_);
  if (data_ != nullptr && data_->owner == &other) data_->owner = this;
  return *this;
}

HGDIOBJ CGdiObject::GetSafeHandle() const { return data_.get(); }

BOOL CGdiObject::DeleteObject() {
  if (data_ == nullptr) return FALSE;
  if (data_->stock && data_->owner == this) return TRUE;  // stock objects are never deleted
  if (data_->owner == this) data_->owner = nullptr;
  data_.reset();
  return TRUE;
}

void CGdiObject::Adopt(std::shared_ptr<plat::GdiData> data) {
  DeleteObject();
  data_ = std::move(data);
  if (data_ != nullptr && data_->owner == nullptr && plat::IsObjectOfKind(this, data_->kind)) {
    data_->owner = this;
  }
}

BOOL CGdiObject::Attach(HGDIOBJ handle) {
  if (data_ != nullptr) return FALSE;
  auto data = plat::GdiDataOf(handle);
  if (data == nullptr) return FALSE;
  Adopt(std::move(data));
  return TRUE;
}

BOOL CGdiObject::CreateStockObject(int index) {
  auto data = plat::StockData(index);
  if (data == nullptr) return FALSE;
  Adopt(std::move(data));
  return TRUE;
}

int CGdiObject::GetObject(int size, void* out) const {
  if (data_ == nullptr || out == nullptr || size < 0) return 0;
  const auto copy = [&](const auto& value) {
    if (static_cast<size_t>(size) < sizeof value) return 0;
    std::memcpy(out, &value, sizeof value);
    return static_cast<int>(sizeof value);
  };
  switch (data_->kind) {
    case GdiKind::Pen: return copy(data_->pen);
    case GdiKind::Brush: return copy(data_->brush);
    case GdiKind::Font: return copy(data_->font);
    case GdiKind::Bitmap: {
      BITMAP bm;
      bm.bmWidth = data_->image.width();
      bm.bmHeight = data_->image.height();
      bm.bmPlanes = 1;
      bm.bmBitsPixel = data_->mono ? 1 : 32;
      bm.bmWidthBytes = data_->mono ? (bm.bmWidth + 15) / 16 * 2 : bm.bmWidth * 4;
      return copy(bm);
    }
    case GdiKind::Region: return 0;
  }
  return 0;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ handle) { return plat::OwnerOf(plat::GdiDataOf(handle)); }

namespace {
template <class T>
T* TypedFromHandle(HGDIOBJ handle, GdiKind kind) {
  auto data = plat::GdiDataOf(handle);
  if (data == nullptr || data->kind != kind) return nullptr;
  return static_cast<T*>(plat::OwnerOf(data));
}
}  // namespace

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
  if (GetSafeHandle() != nullptr || (style != PS_SOLID && style != PS_NULL)) return FALSE;
  auto data = plat::SolidPen(color, style == PS_NULL);
  data->pen.lopnWidth.x = width < 0 ? 0 : width;
  Adopt(std::move(data));
  return TRUE;
}

int CPen::GetLogPen(LOGPEN* out) const { return GetObject(sizeof(LOGPEN), out); }

CPen* CPen::FromHandle(HPEN handle) { return TypedFromHandle<CPen>(handle, GdiKind::Pen); }

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  if (GetSafeHandle() != nullptr) return FALSE;
  Adopt(plat::SolidBrush(color, false));
  return TRUE;
}

int CBrush::GetLogBrush(LOGBRUSH* out) const { return GetObject(sizeof(LOGBRUSH), out); }

CBrush* CBrush::FromHandle(HBRUSH handle) { return TypedFromHandle<CBrush>(handle, GdiKind::Brush); }

BOOL CFont::CreateFontIndirect(const LOGFONTW* font) {
  if (GetSafeHandle() != nullptr || font == nullptr) return FALSE;
  Adopt(plat::FontData(*font));
  return TRUE;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, LPCTSTR faceName) {
  LOGFONTW font;
  font.lfHeight = height;
  font.lfWidth = width;
  font.lfEscapement = escapement;
  font.lfOrientation = orientation;
  font.lfWeight = weight;
  font.lfItalic = italic;
  font.lfUnderline = underline;
  font.lfStrikeOut = strikeOut;
  font.lfCharSet = charSet;
  font.lfOutPrecision = outPrecision;
  font.lfClipPrecision = clipPrecision;
  font.lfQuality = quality;
  font.lfPitchAndFamily = pitchAndFamily;
  plat::CopyFaceName(font, faceName);
  return CreateFontIndirect(&font);
}

BOOL CFont::CreatePointFont(int pointSizeTenths, LPCTSTR faceName, CDC* dc) {
  plat::DcState* state = dc != nullptr ? dc->State() : nullptr;
  const int dpiY = state != nullptr ? state->caps.dpiY : 96;
  const int deviceHeight = static_cast<int>(static_cast<long long>(pointSizeTenths) * dpiY / 720);
  int height = deviceHeight;
  if (state != nullptr) height = state->toLogical(0, deviceHeight).y() - state->toLogical(0, 0).y();
  LOGFONTW font;
  font.lfHeight = -std::abs(height);
  font.lfCharSet = DEFAULT_CHARSET;
  plat::CopyFaceName(font, faceName);
  return CreateFontIndirect(&font);
}

int CFont::GetLogFont(LOGFONTW* out) const { return GetObject(sizeof(LOGFONTW), out); }

CFont* CFont::FromHandle(HFONT handle) { return TypedFromHandle<CFont>(handle, GdiKind::Font); }

CBitmap* CBitmap::FromHandle(HBITMAP handle) {
  return TypedFromHandle<CBitmap>(handle, GdiKind::Bitmap);
}

CRgn* CRgn::FromHandle(HRGN handle) { return TypedFromHandle<CRgn>(handle, GdiKind::Region); }

HGDIOBJ GetStockObject(int index) { return plat::StockData(index).get(); }

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long product = static_cast<long long>(a) * b;
  long long quotient = product / c;
  const long long remainder = product % c;
  if (2 * std::llabs(remainder) >= std::llabs(static_cast<long long>(c))) {
    quotient += ((product < 0) != (c < 0)) ? -1 : 1;
  }
  if (quotient > INT32_MAX || quotient < INT32_MIN) return -1;
  return static_cast<int>(quotient);
}

COLORREF GetSysColor(int index) {
  if (!plat::ValidSysColor(index)) return 0;
  auto& table = plat::SysColors();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.colors[static_cast<size_t>(index)];
}

HBRUSH GetSysColorBrush(int index) {
  if (!plat::ValidSysColor(index)) return nullptr;
  return static_cast<HBRUSH>(static_cast<HGDIOBJ>(plat::SysColors().brushes[static_cast<size_t>(index)].data.get()));
}
