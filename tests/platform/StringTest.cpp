#include <clocale>

#include <gtest/gtest.h>

#include "platform/String.h"

TEST(CStringTest, FormatFollowsTheFrameworkDialect) {
  CString s;
  s.Format(L"%s|%S|%c|%C|%5d|%-4s|%I64d|%%", L"wide", "narrow", L'w', 'n', 42, L"ab", static_cast<long long>(1) << 40);
  EXPECT_EQ(s, L"wide|narrow|w|n|   42|ab  |1099511627776|%");

  CString t(L"x=");
  t.AppendFormat(L"%.2f;%ls;%hs", 3.14159, L"l", "h");
  EXPECT_EQ(t, L"x=3.14;l;h");

  // A text longer than the first buffer guess still comes out whole.
  std::wstring longText(5000, L'z');
  CString u;
  u.Format(L"[%s]", longText.c_str());
  EXPECT_EQ(u.GetLength(), 5002);
  EXPECT_EQ(u.Right(1), L"]");
}

TEST(FormatConversionsTest, KeepsEachConversionInOrderWithItsArgumentNumberAndSkipsPercentSigns) {
  EXPECT_EQ(FormatConversions(L"Channel-%.2d %dx%d 100%% %-9.6lf %ls %I64u %2$s %"),
            std::vector<std::wstring>({L"%.2d", L"%d", L"%d", L"%-9.6lf", L"%ls", L"%I64u", L"%2$s"}));
  EXPECT_TRUE(FormatConversions(L"Done: 100%").empty());
}

TEST(CStringTest, FormatIgnoresADecimalCommaLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "tools/install-deps.sh generates this locale";
  CString s;
  s.Format(L"%.1f", 2.5);
  EXPECT_EQ(s, L"2.5");
  std::setlocale(LC_ALL, "C");
}

TEST(CStringTest, SubstringsSearchesAndEdits) {
  CString s(L"  Hello, World\t ");
  s.Trim();
  EXPECT_EQ(s, L"Hello, World");
  EXPECT_EQ(s.Left(5), L"Hello");
  EXPECT_EQ(s.Right(5), L"World");
  EXPECT_EQ(s.Mid(7), L"World");
  EXPECT_EQ(s.Mid(7, 2), L"Wo");
  EXPECT_EQ(s.Mid(50), L"");
  EXPECT_EQ(s.Left(-3), L"");
  EXPECT_EQ(s.Find(L'o'), 4);
  EXPECT_EQ(s.Find(L'o', 5), 8);
  EXPECT_EQ(s.Find(L"World"), 7);
  EXPECT_EQ(s.Find(L"xyz"), -1);
  EXPECT_EQ(s.ReverseFind(L'o'), 8);
  EXPECT_EQ(s.FindOneOf(L",W"), 5);

  CString r(L"a.b.c");
  EXPECT_EQ(r.Replace(L'.', L'/'), 2);
  EXPECT_EQ(r, L"a/b/c");
  EXPECT_EQ(r.Replace(L"/", L"::"), 2);
  EXPECT_EQ(r, L"a::b::c");
  EXPECT_EQ(r.Replace(L"::", L""), 2);
  EXPECT_EQ(r, L"abc");
  r.Insert(1, L"XY");
  EXPECT_EQ(r, L"aXYbc");
  r.Delete(1, 2);
  EXPECT_EQ(r, L"abc");
  EXPECT_EQ(r.Remove(L'b'), 1);
  r.MakeUpper();
  EXPECT_EQ(r, L"AC");
  EXPECT_EQ(r.CompareNoCase(L"ac"), 0);
  EXPECT_LT(r.Compare(L"AD"), 0);

  CString q(L"\"quoted\"");
  q.Trim(L'"');
  EXPECT_EQ(q, L"quoted");

  int pos = 0;
  CString list(L",one,,two");
  EXPECT_EQ(list.Tokenize(L",", pos), L"one");
  EXPECT_EQ(list.Tokenize(L",", pos), L"two");
  EXPECT_EQ(list.Tokenize(L",", pos), L"");
  EXPECT_EQ(pos, -1);
}

TEST(CStringTest, BufferAccessKeepsTheTextUpToTheFirstNul) {
  CString s;
  wchar_t* p = s.GetBuffer(16);
  wcscpy(p, L"abc");
  s.ReleaseBuffer();
  EXPECT_EQ(s, L"abc");
  EXPECT_EQ(s.GetLength(), 3);
  s.GetBuffer(10)[1] = L'Z';
  s.ReleaseBuffer(2);
  EXPECT_EQ(s, L"aZ");
}

TEST(TextConversionTest, Utf8AndUtf16RoundTripAndRepairBrokenInput) {
  const std::wstring text = L"Stra\u00DFe \u6E2C\u8A66 \U0001F697";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(Utf16LeToWide(WideToUtf16Le(text)), text);
  EXPECT_EQ(WideToUtf16Le(L"\U0001F697").size(), 4u);  // a surrogate pair
  EXPECT_EQ(Utf8ToWide("a\xC3"), L"a\uFFFD");           // cut sequence
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");    // overlong form
  EXPECT_EQ(Utf8ToWide("\xFF" "b"), L"\uFFFDb");
  EXPECT_EQ(CString("caf\xC3\xA9").ToUtf8(), "caf\xC3\xA9");
}

// A name is the bytes the system holds: every byte that is not UTF-8 survives the trip through a
// text and through UTF-16 (what a widget holds), and never meets a real character.
TEST(TextConversionTest, NamesThatAreNotUtf8KeepTheirBytes) {
  const std::string name = "/tmp/caf\xE9 \xC3\xA9 \xFF\x80\xC3 \xED\xB2\x80.sd";
  const std::wstring text = CString(name).str();
  EXPECT_EQ(CString(name).Right(3), L".sd");
  EXPECT_EQ(WideToUtf8(Utf16ToWideKeepingSurrogates(std::u16string(text.begin(), text.end()))), name);
}

TEST(TextConversionTest, AnsiCodePageRoundTripsItsOwnCharacters) {
  ASSERT_EQ(AnsiCodePage(), "WINDOWS-1252");
  const std::string bytes = "caf\xE9 \x80 \xFC";  // e-acute, euro sign, u-umlaut
  const std::wstring wide = AnsiToWide(bytes);
  EXPECT_EQ(wide, L"caf\u00E9 \u20AC \u00FC");
  EXPECT_EQ(WideToAnsi(wide), bytes);
  EXPECT_EQ(WideToAnsi(L"\u6E2C!"), "?!");  // not in the code page
  EXPECT_EQ(CString::FromAnsi(bytes).ToAnsi(), bytes);

  ASSERT_TRUE(SetAnsiCodePage("CP936"));
  const std::wstring chinese = L"\u6E2C\u8A66";
  EXPECT_EQ(AnsiToWide(WideToAnsi(chinese)), chinese);
  EXPECT_FALSE(SetAnsiCodePage("NO-SUCH-CODE-PAGE"));
  ASSERT_TRUE(SetAnsiCodePage("WINDOWS-1252"));
}
