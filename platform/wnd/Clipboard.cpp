#include "platform/wnd/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/wnd/DragDrop.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

const QString kFormatMime = QStringLiteral("application/x-player-clipformat-%1");

// Text as both text formats.
void AddText(ClipData& data, const std::wstring& text) {
  data[CF_UNICODETEXT] = NulEnded(WideToUtf16Le(text), 2);
  data[CF_TEXT] = NulEnded(WideToAnsi(text), 1);
}

// The text of CF_UNICODETEXT, else of CF_TEXT; nothing when the data holds neither.
std::optional<std::wstring> TextOf(const ClipData& data) {
  if (auto it = data.find(CF_UNICODETEXT); it != data.end()) return Utf16LeToWide(UpToNul(it->second, 2));
  if (auto it = data.find(CF_TEXT); it != data.end()) return AnsiToWide(UpToNul(it->second, 1));
  return std::nullopt;
}

class SystemClipboard : public IClipboard {
 public:
  bool SetData(const ClipData& data, const void* owner) override {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return false;
    auto* md = MimeDataOf(data);
    cb->setMimeData(md);
    offered_ = md;
    owner_ = owner;
    return true;
  }

  ClipData GetData() const override {
    const QClipboard* cb = QGuiApplication::clipboard();
    return cb ? ClipDataOf(cb->mimeData()) : ClipData{};
  }

  bool IsOwner(const void* owner) const override {
    const QClipboard* cb = QGuiApplication::clipboard();
    return owner && owner == owner_ && cb && cb->mimeData() == offered_;
  }

 private:
  const QMimeData* offered_ = nullptr;
  const void* owner_ = nullptr;
};

IClipboard* g_installed = nullptr;
std::unique_ptr<COleDataSource> g_ownedSource;

}  // namespace

std::vector<BYTE> NulEnded(const std::string& text, size_t nulBytes) {
  std::vector<BYTE> v(text.begin(), text.end());
  v.insert(v.end(), nulBytes, 0);
  return v;
}

std::string UpToNul(const std::vector<BYTE>& bytes, size_t unit) {
  size_t n = 0;
  while (n + unit <= bytes.size()) {
    bool nul = true;
    for (size_t i = 0; i < unit; ++i) nul = nul && bytes[n + i] == 0;
    if (nul) break;
    n += unit;
  }
  return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

QMimeData* MimeDataOf(const ClipData& data) {
  auto* md = new QMimeData;
  for (const auto& [format, bytes] : data) {
    md->setData(kFormatMime.arg(format), QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  }
  if (const auto text = TextOf(data)) md->setText(ToQString(CString(*text)));
  return md;
}

ClipData ClipDataOf(const QMimeData* md) {
  ClipData data;
  if (!md) return data;
  for (const QString& f : md->formats()) {
    bool ok = false;
    const uint format = f.startsWith(kFormatMime.arg("")) ? f.mid(kFormatMime.arg("").size()).toUInt(&ok) : 0;
    if (!ok || format > 0xFFFF) continue;
    const QByteArray b = md->data(f);
    data[static_cast<CLIPFORMAT>(format)] = std::vector<BYTE>(b.begin(), b.end());
  }
  if (md->hasText() && !data.count(CF_TEXT) && !data.count(CF_UNICODETEXT)) AddText(data, md->text().toStdWString());
  return data;
}

IClipboard* SetClipboard(IClipboard* clipboard) {
  IClipboard* old = g_installed;
  g_installed = clipboard;
  return old;
}

IClipboard& Clipboard() {
  static SystemClipboard system;
  return g_installed ? *g_installed : system;
}

bool SetClipboardText(const CString& text) {
  ClipData data;
  AddText(data, text.str());
  return Clipboard().SetData(data, nullptr);
}

bool GetClipboardText(CString& text) {
  const auto found = TextOf(Clipboard().GetData());
  if (found) text = CString(*found);
  return found.has_value();
}

}  // namespace plat

BOOL IsClipboardFormatAvailable(UINT format) {
  return plat::Clipboard().GetData().count(static_cast<CLIPFORMAT>(format)) ? TRUE : FALSE;
}

COleDataSource::~COleDataSource() = default;

void COleDataSource::CacheGlobalData(CLIPFORMAT format, std::vector<BYTE> bytes) { data_[format] = std::move(bytes); }

void COleDataSource::Empty() { data_.clear(); }

void COleDataSource::SetClipboard() {
  plat::Clipboard().SetData(data_, this);
  if (plat::g_ownedSource.get() != this) plat::g_ownedSource.reset(this);
}

DWORD COleDataSource::DoDragDrop(DWORD allowedEffects) { return plat::RunDragLoop(data_, allowedEffects); }

COleDataSource* COleDataSource::GetClipboardOwner() {
  COleDataSource* s = plat::g_ownedSource.get();
  return s && plat::Clipboard().IsOwner(s) ? s : nullptr;
}

void COleDataSource::FlushClipboard() { plat::g_ownedSource.reset(); }

BOOL COleDataObject::AttachClipboard() {
  data_ = plat::Clipboard().GetData();
  attached_ = true;
  return TRUE;
}

void COleDataObject::Release() {
  data_.clear();
  attached_ = false;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const { return attached_ && data_.count(format) ? TRUE : FALSE; }

std::optional<std::vector<BYTE>> COleDataObject::GetGlobalData(CLIPFORMAT format) const {
  auto it = data_.find(format);
  if (!attached_ || it == data_.end()) return std::nullopt;
  return it->second;
}
