#include "platform/String.h"

#include <iconv.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <mutex>
#include <vector>

namespace {

constexpr wchar_t kWhiteSpace[] = L" \t\r\n\v\f";
constexpr wchar_t kReplacement = 0xFFFD;

size_t Clamp(int v, size_t hi) { return v < 0 ? 0 : std::min(static_cast<size_t>(v), hi); }

// Formatting always runs in the "C" locale, whatever the desktop's locale is.
class CLocaleScope {
 public:
  CLocaleScope() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    old_ = uselocale(c);
  }
  ~CLocaleScope() { uselocale(old_); }

 private:
  locale_t old_;
};

std::wstring VFormat(const wchar_t* fmt, va_list args) {
  const std::wstring translated = TranslateWideFormat(fmt);
  CLocaleScope cLocale;
  std::vector<wchar_t> buf(256);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vswprintf(buf.data(), buf.size(), translated.c_str(), copy);
    va_end(copy);
    if (n >= 0 && static_cast<size_t>(n) < buf.size()) return std::wstring(buf.data(), static_cast<size_t>(n));
    if (buf.size() >= (size_t{1} << 26)) return std::wstring();  // a broken format, not a long text
    buf.resize(buf.size() * 4);
  }
}

bool InSet(wchar_t ch, const wchar_t* set) { return set && std::wcschr(set, ch) != nullptr && ch != 0; }

std::mutex g_codePageMutex;
std::string g_ansiCodePage = "WINDOWS-1252";

// Converts with iconv; an input unit that the target cannot hold, or a broken input sequence,
// becomes the target's replacement ('?' for 8-bit text, U+FFFD for wide text) and conversion goes on.
void IconvStream(const char* from, const char* to, std::string_view in, size_t unit, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  const bool toWide = std::strcmp(to, "WCHAR_T") == 0;
  const wchar_t wideReplacement = kReplacement;
  const std::string_view replacement =
      toWide ? std::string_view(reinterpret_cast<const char*>(&wideReplacement), sizeof(wchar_t)) : "?";
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[4096];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out->append(buf, sizeof buf - dstLeft);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    out->append(replacement);  // EILSEQ or EINVAL: skip one input unit
    const size_t skip = std::min(unit, srcLeft);
    src += skip;
    srcLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
}

}  // namespace

CString::CString(const char* utf8) : s_(Utf8ToWideKeepingBytes(utf8 ? utf8 : "")) {}
CString::CString(const std::string& utf8) : s_(Utf8ToWideKeepingBytes(utf8)) {}

CString CString::FromAnsi(std::string_view bytes) { return CString(AnsiToWide(bytes)); }
CString CString::FromUtf8(std::string_view bytes) { return CString(Utf8ToWide(bytes)); }

CString CString::Left(int count) const { return CString(s_.substr(0, Clamp(count, s_.size()))); }
CString CString::Right(int count) const {
  const size_t n = Clamp(count, s_.size());
  return CString(s_.substr(s_.size() - n));
}
CString CString::Mid(int first) const { return Mid(first, GetLength()); }
CString CString::Mid(int first, int count) const {
  const size_t f = Clamp(first, s_.size());
  return CString(s_.substr(f, Clamp(count, s_.size() - f)));
}
CString CString::SpanIncluding(const wchar_t* set) const {
  size_t i = 0;
  while (i < s_.size() && InSet(s_[i], set)) ++i;
  return Left(static_cast<int>(i));
}
CString CString::SpanExcluding(const wchar_t* set) const {
  size_t i = 0;
  while (i < s_.size() && !InSet(s_[i], set)) ++i;
  return Left(static_cast<int>(i));
}
CString CString::Tokenize(const wchar_t* delims, int& pos) const {
  if (pos < 0) return CString();
  size_t i = static_cast<size_t>(pos);
  while (i < s_.size() && InSet(s_[i], delims)) ++i;
  if (i >= s_.size()) {
    pos = -1;
    return CString();
  }
  size_t end = i;
  while (end < s_.size() && !InSet(s_[end], delims)) ++end;
  pos = static_cast<int>(end < s_.size() ? end + 1 : end);
  return CString(s_.substr(i, end - i));
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || static_cast<size_t>(start) >= s_.size()) return -1;
  const size_t p = s_.find(ch, static_cast<size_t>(start));
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}
int CString::Find(const wchar_t* sub, int start) const {
  if (!sub || start < 0 || static_cast<size_t>(start) > s_.size()) return -1;
  const size_t p = s_.find(sub, static_cast<size_t>(start));
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}
int CString::ReverseFind(wchar_t ch) const {
  const size_t p = s_.rfind(ch);
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}
int CString::FindOneOf(const wchar_t* set) const {
  for (size_t i = 0; i < s_.size(); ++i)
    if (InSet(s_[i], set)) return static_cast<int>(i);
  return -1;
}

int CString::Replace(wchar_t from, wchar_t to) {
  int n = 0;
  for (auto& c : s_)
    if (c == from) c = to, ++n;
  return n;
}
int CString::Replace(const wchar_t* from, const wchar_t* to) {
  if (!from || !*from) return 0;
  const std::wstring f(from), t(to ? to : L"");
  int n = 0;
  for (size_t p = s_.find(f); p != std::wstring::npos; p = s_.find(f, p + t.size())) {
    s_.replace(p, f.size(), t);
    ++n;
  }
  return n;
}
int CString::Remove(wchar_t ch) {
  const size_t before = s_.size();
  s_.erase(std::remove(s_.begin(), s_.end(), ch), s_.end());
  return static_cast<int>(before - s_.size());
}
int CString::Insert(int index, wchar_t ch) {
  s_.insert(Clamp(index, s_.size()), 1, ch);
  return GetLength();
}
int CString::Insert(int index, const wchar_t* s) {
  if (s) s_.insert(Clamp(index, s_.size()), s);
  return GetLength();
}
int CString::Delete(int index, int count) {
  const size_t i = Clamp(index, s_.size());
  s_.erase(i, Clamp(count, s_.size() - i));
  return GetLength();
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::TrimLeft() { return TrimLeft(kWhiteSpace); }
CString& CString::TrimRight() { return TrimRight(kWhiteSpace); }
CString& CString::Trim(const wchar_t* set) { return TrimRight(set).TrimLeft(set); }
CString& CString::TrimLeft(const wchar_t* set) {
  size_t i = 0;
  while (i < s_.size() && InSet(s_[i], set)) ++i;
  s_.erase(0, i);
  return *this;
}
CString& CString::TrimRight(const wchar_t* set) {
  size_t n = s_.size();
  while (n > 0 && InSet(s_[n - 1], set)) --n;
  s_.resize(n);
  return *this;
}
CString& CString::Trim(wchar_t ch) { const wchar_t set[2] = {ch, 0}; return Trim(set); }
CString& CString::TrimLeft(wchar_t ch) { const wchar_t set[2] = {ch, 0}; return TrimLeft(set); }
CString& CString::TrimRight(wchar_t ch) { const wchar_t set[2] = {ch, 0}; return TrimRight(set); }
CString& CString::MakeLower() {
  for (auto& c : s_) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return *this;
}
CString& CString::MakeUpper() {
  for (auto& c : s_) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return *this;
}
CString& CString::MakeReverse() {
  std::reverse(s_.begin(), s_.end());
  return *this;
}

int CString::Compare(const wchar_t* other) const {
  const int r = s_.compare(other ? other : L"");
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
int CString::CompareNoCase(const wchar_t* other) const {
  CString a(*this), b(other);
  a.MakeLower();
  b.MakeLower();
  return a.Compare(b);
}

void CString::Format(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  FormatV(fmt, args);
  va_end(args);
}
void CString::AppendFormat(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  AppendFormatV(fmt, args);
  va_end(args);
}
void CString::FormatV(const wchar_t* fmt, va_list args) { s_ = VFormat(fmt, args); }
void CString::AppendFormatV(const wchar_t* fmt, va_list args) { s_ += VFormat(fmt, args); }

wchar_t* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) s_.resize(static_cast<size_t>(minLength));
  return s_.data();
}
wchar_t* CString::GetBufferSetLength(int length) {
  s_.resize(Clamp(length, SIZE_MAX));
  return s_.data();
}
void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    const size_t nul = s_.find(L'\0');
    if (nul != std::wstring::npos) s_.resize(nul);
  } else {
    s_.resize(std::min(static_cast<size_t>(newLength), s_.size()));
  }
}

std::string CString::ToUtf8() const { return WideToUtf8(s_); }
std::string CString::ToAnsi() const { return WideToAnsi(s_); }

std::wstring TranslateWideFormat(const wchar_t* fmt) {
  std::wstring out;
  if (!fmt) return out;
  for (const wchar_t* p = fmt; *p;) {
    if (*p != L'%') {
      out += *p++;
      continue;
    }
    out += *p++;
    if (*p == L'%') {
      out += *p++;
      continue;
    }
    while (*p && std::wcschr(L"-+ #0123456789.*", *p)) out += *p++;
    if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
      out += L"ll";
      p += 3;
    } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
      p += 3;
    } else if (p[0] == L'h' && (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C')) {
      out += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(p[1])));
      p += 2;
      continue;
    } else if (p[0] == L'l' && (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C')) {
      out += L'l';
      out += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(p[1])));
      p += 2;
      continue;
    }
    switch (*p) {
      case L's': out += L"ls"; ++p; break;
      case L'c': out += L"lc"; ++p; break;
      case L'S': out += L's'; ++p; break;
      case L'C': out += L'c'; ++p; break;
      default: break;  // the conversion letter (and any length modifier) is copied by the loop
    }
  }
  return out;
}

namespace {

// The length of a conversion's length modifier at text[i].
size_t LengthModifier(const std::wstring& text, size_t i) {
  for (const wchar_t* m : {L"hh", L"ll", L"I64", L"I32", L"h", L"l", L"L", L"q", L"j", L"z", L"t", L"I"}) {
    if (text.compare(i, std::wcslen(m), m) == 0) return std::wcslen(m);
  }
  return 0;
}

// Where the flags and the width that follow text[from] end.
size_t SkipFlagsAndWidth(const std::wstring& text, size_t from) {
  const size_t j = text.find_first_not_of(L"-+ #0'", from);
  return text.find_first_not_of(L"0123456789*", std::min(j, text.size()));
}

}  // namespace

std::vector<std::wstring> FormatConversions(const std::wstring& text) {
  std::vector<std::wstring> conversions;
  for (size_t i = text.find(L'%'); i != std::wstring::npos && i + 1 < text.size(); i = text.find(L'%', i + 1)) {
    if (text[i + 1] == L'%') {
      ++i;
      continue;
    }
    size_t j = SkipFlagsAndWidth(text, i + 1);
    if (j < text.size() && text[j] == L'$') j = SkipFlagsAndWidth(text, j + 1);
    if (j < text.size() && text[j] == L'.') j = text.find_first_not_of(L"0123456789*", j + 1);
    if (j >= text.size()) break;
    j += LengthModifier(text, j);
    if (j < text.size() && std::wcschr(L"diouxXeEfFgGaAcCsSpn", text[j])) conversions.push_back(text.substr(i, j - i + 1));
  }
  return conversions;
}

namespace {

// Decodes UTF-8; a byte that does not begin a valid sequence becomes `broken(byte)`.
template <class Broken>
std::wstring DecodeUtf8(std::string_view bytes, Broken broken) {
  static constexpr unsigned kMin[4] = {0, 0x80, 0x800, 0x10000};
  std::wstring out;
  out.reserve(bytes.size());
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    const unsigned c = s[i];
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra == 0) {
      out += static_cast<wchar_t>(c);
      ++i;
      continue;
    }
    unsigned cp = extra > 0 ? (c & (0x3Fu >> extra)) : 0;
    bool good = extra > 0 && i + static_cast<size_t>(extra) < n;
    for (int k = 1; good && k <= extra; ++k) {
      const unsigned cc = s[i + static_cast<size_t>(k)];
      good = (cc & 0xC0) == 0x80;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!good || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += broken(static_cast<unsigned char>(c));
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

// Escaped bytes are lone low surrogates, which valid UTF-8 never decodes to, so that an escaped
// text never meets a real character.
constexpr unsigned kEscapeBase = 0xDC00;
bool IsEscapedByte(unsigned cp) { return cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF; }

}  // namespace

std::wstring Utf8ToWide(std::string_view bytes) {
  return DecodeUtf8(bytes, [](unsigned char) { return kReplacement; });
}

std::wstring Utf8ToWideKeepingBytes(std::string_view bytes) {
  return DecodeUtf8(bytes, [](unsigned char byte) { return static_cast<wchar_t>(kEscapeBase + byte); });
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    unsigned cp = static_cast<unsigned>(wc);
    if (IsEscapedByte(cp)) {
      out += static_cast<char>(cp - kEscapeBase);
      continue;
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::wstring Utf16LeToWide(std::string_view bytes) {
  std::wstring out;
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  for (size_t i = 0; i < units; ++i) {
    const unsigned u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += kReplacement;
    } else {
      out += static_cast<wchar_t>(u);
    }
  }
  return out;
}

std::wstring Utf16ToWideKeepingSurrogates(std::u16string_view units) {
  std::wstring out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const unsigned u = units[i];
    const unsigned next = i + 1 < units.size() ? units[i + 1] : 0;
    if (u >= 0xD800 && u <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
      out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
      ++i;
    } else {
      out += static_cast<wchar_t>(u);
    }
  }
  return out;
}

std::string WideToUtf16Le(std::wstring_view text) {
  std::string out;
  auto put = [&](unsigned u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (wchar_t wc : text) {
    unsigned cp = static_cast<unsigned>(wc);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

bool SetAnsiCodePage(const char* iconvName) {
  iconv_t cd = iconv_open("WCHAR_T", iconvName);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  std::lock_guard lock(g_codePageMutex);
  g_ansiCodePage = iconvName;
  return true;
}

std::string AnsiCodePage() {
  std::lock_guard lock(g_codePageMutex);
  return g_ansiCodePage;
}

std::wstring AnsiToWide(std::string_view bytes) {
  std::string wide;
  IconvStream(AnsiCodePage().c_str(), "WCHAR_T", bytes, 1, &wide);
  std::wstring out(wide.size() / sizeof(wchar_t), L'\0');
  std::memcpy(out.data(), wide.data(), out.size() * sizeof(wchar_t));
  return out;
}

std::string WideToAnsi(std::wstring_view text) {
  std::string out;
  IconvStream("WCHAR_T", AnsiCodePage().c_str(),
              std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)),
              sizeof(wchar_t), &out);
  return out;
}
