// CString: the wide text used for every text, path and key of the program, with the framework's
// methods. Positions and lengths count wide characters. Format follows the framework's rules:
// "%s" takes wide text and "%S" narrow text, and numbers are always printed in the "C" locale so
// that a decimal-comma desktop never changes a stored or exported number.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

using LPCWSTR = const wchar_t*;
using LPWSTR = wchar_t*;
using LPCTSTR = const wchar_t*;
using LPTSTR = wchar_t*;
using LPCSTR = const char*;
using LPSTR = char*;

class CString {
 public:
  CString() = default;
  CString(const wchar_t* s) : s_(s ? s : L"") {}
  CString(const wchar_t* s, int len) : s_(s ? std::wstring(s, static_cast<size_t>(len < 0 ? 0 : len)) : std::wstring()) {}
  CString(std::wstring s) : s_(std::move(s)) {}
  CString(std::wstring_view s) : s_(s) {}
  CString(wchar_t ch, int repeat = 1) : s_(static_cast<size_t>(repeat < 0 ? 0 : repeat), ch) {}
  // Narrow text in the program's own sources and in Linux paths is UTF-8. A path is whatever
  // bytes the system holds, so bytes that are not UTF-8 are kept (Utf8ToWideKeepingBytes) and
  // ToUtf8 gives the same bytes back.
  explicit CString(const char* utf8);
  explicit CString(const std::string& utf8);

  static CString FromAnsi(std::string_view bytes);  // 8-bit text in the ANSI code page
  // Text, not names: bytes that are not UTF-8 become U+FFFD.
  static CString FromUtf8(std::string_view bytes);

  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  wchar_t GetAt(int i) const { return s_.at(static_cast<size_t>(i)); }
  void SetAt(int i, wchar_t ch) { s_.at(static_cast<size_t>(i)) = ch; }
  wchar_t operator[](int i) const { return GetAt(i); }
  operator const wchar_t*() const { return s_.c_str(); }
  const wchar_t* GetString() const { return s_.c_str(); }
  const std::wstring& str() const { return s_; }

  CString Left(int count) const;
  CString Right(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString SpanIncluding(const wchar_t* set) const;
  CString SpanExcluding(const wchar_t* set) const;
  // Returns the next token after *pos (delimiters skipped) and advances pos; pos = -1 at the end.
  CString Tokenize(const wchar_t* delims, int& pos) const;

  int Find(wchar_t ch, int start = 0) const;
  int Find(const wchar_t* sub, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  int FindOneOf(const wchar_t* set) const;

  int Replace(wchar_t from, wchar_t to);
  int Replace(const wchar_t* from, const wchar_t* to);
  int Remove(wchar_t ch);
  int Insert(int index, wchar_t ch);
  int Insert(int index, const wchar_t* s);
  int Delete(int index, int count = 1);

  CString& Trim();
  CString& TrimLeft();
  CString& TrimRight();
  CString& Trim(const wchar_t* set);
  CString& TrimLeft(const wchar_t* set);
  CString& TrimRight(const wchar_t* set);
  CString& Trim(wchar_t ch);
  CString& TrimLeft(wchar_t ch);
  CString& TrimRight(wchar_t ch);
  CString& MakeLower();
  CString& MakeUpper();
  CString& MakeReverse();

  int Compare(const wchar_t* other) const;
  int CompareNoCase(const wchar_t* other) const;

  void Format(const wchar_t* fmt, ...);
  void AppendFormat(const wchar_t* fmt, ...);
  void FormatV(const wchar_t* fmt, va_list args);
  void AppendFormatV(const wchar_t* fmt, va_list args);

  // The buffer holds at least minLength characters plus a terminating NUL; ReleaseBuffer(-1)
  // takes the text up to the first NUL.
  wchar_t* GetBuffer(int minLength = 0);
  wchar_t* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  std::string ToUtf8() const;
  std::string ToAnsi() const;

  CString& operator=(const wchar_t* s) { s_ = s ? s : L""; return *this; }
  CString& operator=(wchar_t ch) { s_.assign(1, ch); return *this; }
  CString& operator+=(const CString& o) { s_ += o.s_; return *this; }
  CString& operator+=(const wchar_t* o) { if (o) s_ += o; return *this; }
  CString& operator+=(wchar_t ch) { s_ += ch; return *this; }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
  friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.s_ + (b ? b : L"")); }
  friend CString operator+(const wchar_t* a, const CString& b) { return CString((a ? a : L"") + b.s_); }
  friend CString operator+(const CString& a, wchar_t b) { return CString(a.s_ + b); }
  friend CString operator+(wchar_t a, const CString& b) { return CString(a + b.s_); }

  friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.s_ == (b ? b : L""); }
  friend bool operator==(const wchar_t* a, const CString& b) { return b == a; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
  friend bool operator!=(const wchar_t* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.s_ < b.s_; }
  friend bool operator>(const CString& a, const CString& b) { return b.s_ < a.s_; }
  friend bool operator<=(const CString& a, const CString& b) { return !(b.s_ < a.s_); }
  friend bool operator>=(const CString& a, const CString& b) { return !(a.s_ < b.s_); }

 private:
  std::wstring s_;
};

// Rewrites a format string of the framework's dialect into the C library's wide dialect:
// %s -> %ls, %S -> %s, %c -> %lc, %C -> %c, %hs -> %s, %I64d -> %lld.
std::wstring TranslateWideFormat(const wchar_t* fmt);
// The printf conversions of a format in order, each as written ("%%" is none; an argument number
// such as "%2$d" is part of its conversion). Two formats whose conversions are equal read the same
// arguments the same way.
std::vector<std::wstring> FormatConversions(const std::wstring& text);

// Text conversions. UTF-8 and UTF-16 conversions never fail: a broken sequence becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view bytes);
// For names of the system (paths, arguments): a byte that is not part of valid UTF-8 is kept as
// U+DC80..U+DCFF (a lone surrogate, which no valid UTF-8 decodes to), so that nothing is lost.
std::wstring Utf8ToWideKeepingBytes(std::string_view bytes);
// The kept bytes of Utf8ToWideKeepingBytes become those bytes again; other characters UTF-8.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf16LeToWide(std::string_view bytes);
std::string WideToUtf16Le(std::wstring_view text);
// UTF-16 held by the program itself (a widget's text): a lone surrogate stays as it is, so that a
// name kept by Utf8ToWideKeepingBytes comes back whole.
std::wstring Utf16ToWideKeepingSurrogates(std::u16string_view units);

// The "ANSI" code page of 8-bit card and clipboard texts; Windows-1252 unless changed.
// Characters that the code page cannot hold become '?'.
bool SetAnsiCodePage(const char* iconvName);
std::string AnsiCodePage();
std::wstring AnsiToWide(std::string_view bytes);
std::string WideToAnsi(std::wstring_view text);
