// Clipboard data by format, the data source and data object of OLE-style exchange, and the
// injectable clipboard service behind them. The real service is Qt's clipboard: our own formats
// travel byte for byte, CF_TEXT (8-bit text in the ANSI code page, NUL-ended) and
// CF_UNICODETEXT are also offered to other programs as plain text, and plain text from other
// programs is read as either.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/String.h"
#include "platform/Types.h"

using CLIPFORMAT = WORD;
constexpr CLIPFORMAT CF_TEXT = 1;
constexpr CLIPFORMAT CF_UNICODETEXT = 13;

namespace plat {

using ClipData = std::map<CLIPFORMAT, std::vector<BYTE>>;

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Replaces the contents; `owner` names the source until another one replaces them.
  virtual bool SetData(const ClipData& data, const void* owner) = 0;
  virtual ClipData GetData() const = 0;
  virtual bool IsOwner(const void* owner) const = 0;
};

// Installs a clipboard (null: the system clipboard again); returns the previous one.
IClipboard* SetClipboard(IClipboard* clipboard);
IClipboard& Clipboard();

// Text through the clipboard: CF_UNICODETEXT, else CF_TEXT in the ANSI code page.
bool SetClipboardText(const CString& text);
bool GetClipboardText(CString& text);

// The bytes of encoded text as a text format holds them: followed by a NUL of `nulBytes` bytes.
std::vector<BYTE> NulEnded(const std::string& text, size_t nulBytes);
// Encoded text from a text format's bytes, up to the first NUL of `unit` bytes or to the end.
std::string UpToNul(const std::vector<BYTE>& bytes, size_t unit);

}  // namespace plat

BOOL IsClipboardFormatAvailable(UINT format);

// Data offered for the clipboard or a drag.
class COleDataSource {
 public:
  COleDataSource() = default;
  virtual ~COleDataSource();
  COleDataSource(const COleDataSource&) = delete;
  COleDataSource& operator=(const COleDataSource&) = delete;

  void CacheGlobalData(CLIPFORMAT format, std::vector<BYTE> bytes);
  void Empty();
  const plat::ClipData& Data() const { return data_; }
  // Puts the data on the clipboard. The clipboard takes the object over (it must have been made
  // with new) and deletes it when other data replaces it or the clipboard is flushed.
  void SetClipboard();
  // Runs the drag loop (see plat::IDragLoop) and returns the drop's effect.
  DWORD DoDragDrop(DWORD allowedEffects = 3);
  // The data source whose data is on the clipboard, or null.
  static COleDataSource* GetClipboardOwner();
  // Leaves the data on the clipboard without its source.
  static void FlushClipboard();

 private:
  plat::ClipData data_;
};

// Data received from the clipboard or a drop.
class COleDataObject {
 public:
  COleDataObject() = default;
  explicit COleDataObject(plat::ClipData data) : data_(std::move(data)), attached_(true) {}
  BOOL AttachClipboard();
  void Release();
  BOOL IsDataAvailable(CLIPFORMAT format) const;
  // The bytes of a format, or nothing when the data does not offer it.
  std::optional<std::vector<BYTE>> GetGlobalData(CLIPFORMAT format) const;

 private:
  plat::ClipData data_;
  bool attached_ = false;
};
