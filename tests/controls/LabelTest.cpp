#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

#include "controls/Label.h"
#include "platform/wnd/Input.h"
#include "tests/support/TestHarness.h"

using plat::test::Pixel;
using plat::test::SpyWnd;

namespace {

using PixelSet = std::set<std::pair<int, int>>;

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 400, 300)));
  }

  // Creates the label as a child of the parent, at (10, 10) with the given size.
  void Make(CLabel& label, const wchar_t* text, int width, int height, DWORD style = 0) {
    ASSERT_TRUE(label.Create(text, WS_CHILD | WS_VISIBLE | style, CRect(10, 10, 10 + width, 10 + height), &parent, 77));
    plat::test::Pump();
  }

  static PixelSet Of(const CLabel& label, COLORREF color) {
    CRect rc;
    label.GetClientRect(&rc);
    PixelSet out;
    for (int y = 0; y < rc.Height(); ++y) {
      for (int x = 0; x < rc.Width(); ++x) {
        if (Pixel(&label, x, y) == color) out.insert({x, y});
      }
    }
    return out;
  }

  static CRect Box(const PixelSet& pixels) {
    CRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (const auto& [x, y] : pixels) box = CRect(std::min<int>(box.left, x), std::min<int>(box.top, y),
                                                  std::max<int>(box.right, x + 1), std::max<int>(box.bottom, y + 1));
    return box;
  }

  SpyWnd parent;
};

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

}  // namespace

TEST_F(LabelTest, AFlashingTextIsHiddenForTheFirstHalfSecondThenShownInTurnsUntilStopped) {
  CLabel label;
  Make(label, L"WWWW", 100, 30);
  label.SetBkColor(kGreen).SetTextColor(0).FlashText(TRUE);
  plat::test::Pump();
  EXPECT_TRUE(Of(label, 0).empty());
  EXPECT_EQ(Of(label, kGreen).size(), 100u * 30u);
  plat::test::AdvanceTime(499);
  EXPECT_TRUE(Of(label, 0).empty());
  plat::test::AdvanceTime(1);
  const size_t shown = Of(label, 0).size();
  EXPECT_GT(shown, 20u);
  plat::test::AdvanceTime(500);
  EXPECT_TRUE(Of(label, 0).empty());
  plat::test::AdvanceTime(500);
  EXPECT_EQ(Of(label, 0).size(), shown);
  plat::test::AdvanceTime(500);
  EXPECT_TRUE(Of(label, 0).empty());

  // Stopping in the hidden half shows the text again, and it stays.
  label.FlashText(FALSE);
  plat::test::Pump();
  EXPECT_EQ(Of(label, 0).size(), shown);
  plat::test::AdvanceTime(2000);
  EXPECT_EQ(Of(label, 0).size(), shown);

  // On a gradient or the face colour the hidden text leaves nothing behind either.
  label.SetBkColor(RGB(0, 0, 128), RGB(0, 0, 255), TRUE).FlashText(TRUE);
  plat::test::Pump();
  EXPECT_TRUE(Of(label, 0).empty());
  label.FlashText(FALSE);
  CLabel face;
  Make(face, L"WWWW", 100, 30);
  face.SetTextColor(0).FlashText(TRUE);
  plat::test::Pump();
  EXPECT_TRUE(Of(face, 0).empty());
  EXPECT_EQ(Pixel(&face, 1, 1), GetSysColor(COLOR_3DFACE));

  // Rotated text flashes the same way.
  CLabel turned;
  Make(turned, L"WWWW", 100, 100);
  turned.SetBkColor(kGreen).SetTextColor(0).SetRotationAngle(90, TRUE).FlashText(TRUE);
  plat::test::Pump();
  EXPECT_TRUE(Of(turned, 0).empty());
  plat::test::AdvanceTime(500);
  EXPECT_GT(Of(turned, 0).size(), 20u);
}

TEST_F(LabelTest, TheStaticStyleAlignsTheTextAndCentredImagesCentreOneLineBothWays) {
  CLabel label;
  Make(label, L"Hi", 120, 80, SS_CENTERIMAGE);
  label.SetBkColor(RGB(255, 255, 255)).SetTextColor(0);
  const CRect one = Box(Of(label, 0));
  EXPECT_NEAR((one.left + one.right) / 2.0, 60, 2);
  EXPECT_NEAR((one.top + one.bottom) / 2.0, 40, 3);

  // Two lines: centred across, from the top, both lines shown.
  label.SetText(L"a\r\nb");
  const CRect two = Box(Of(label, 0));
  EXPECT_NEAR((two.left + two.right) / 2.0, 60, 3);
  EXPECT_LT(two.top, 12);
  EXPECT_GT(two.Height(), one.Height());

  CLabel right;
  Make(right, L"Hi", 120, 80, SS_RIGHT);
  right.SetBkColor(RGB(255, 255, 255)).SetTextColor(0);
  const CRect r = Box(Of(right, 0));
  EXPECT_GT(r.right, 114);
  EXPECT_LT(r.top, 12);
}

TEST_F(LabelTest, LinksOpenOnlyWebPagesAndMailAddressesOrTellTheParent) {
  CLabel link;
  Make(link, L"https://example.org/help", 200, 20);
  link.SetLink(TRUE, FALSE);
  EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
  const HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
  link.SetLinkCursor(hand);
  plat::test::Mouse(&link, WM_MOUSEMOVE, {5, 5});
  EXPECT_EQ(GetCursor(), hand);
  plat::test::Mouse(&link, WM_LBUTTONDOWN, {5, 5});
  plat::test::Mouse(&link, WM_LBUTTONUP, {5, 5});
  ASSERT_EQ(plat::test::OpenedUrls().size(), 1u);
  EXPECT_EQ(plat::test::OpenedUrls()[0].toString(), "https://example.org/help");

  // A target that names a program, a file or a folder is never opened.
  for (const wchar_t* target : {L"C:\\x.exe", L"/bin/sh", L"/tmp", L"file:///etc/passwd"}) {
    link.SetLinkTarget(target);
    plat::test::Mouse(&link, WM_LBUTTONDOWN, {5, 5});
    plat::test::Mouse(&link, WM_LBUTTONUP, {5, 5});
  }
  EXPECT_EQ(plat::test::OpenedUrls().size(), 1u);
  link.SetLinkTarget(L"http://example.org/other");
  plat::test::Mouse(&link, WM_LBUTTONDOWN, {5, 5});
  ASSERT_EQ(plat::test::OpenedUrls().size(), 2u);
  EXPECT_EQ(plat::test::OpenedUrls()[1].toString(), "http://example.org/other");

  // A mail link writes to its text, whatever the target, and the text cannot add headers.
  CLabel mail;
  Make(mail, L"fleet@example.org?bcc=all@example.org", 200, 20);
  mail.SetMailLink(TRUE, FALSE).SetLinkTarget(L"https://example.org/ignored");
  plat::test::Mouse(&mail, WM_LBUTTONDOWN, {5, 5});
  ASSERT_EQ(plat::test::OpenedUrls().size(), 3u);
  const QUrl written = plat::test::OpenedUrls()[2];
  EXPECT_EQ(written.scheme(), "mailto");
  EXPECT_EQ(written.path(), "fleet@example.org?bcc=all@example.org");
  EXPECT_TRUE(written.query().isEmpty());

  // With notify the parent hears of the click and nothing is opened.
  mail.SetMailLink(TRUE, TRUE);
  parent.Clear();
  plat::test::Mouse(&mail, WM_LBUTTONDOWN, {5, 5});
  const auto notes = parent.Of(WM_NOTIFY);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].wParam, 77u);
  EXPECT_EQ(notes[0].notify.code, NM_LABEL_CLICK);
  EXPECT_EQ(notes[0].notify.hwndFrom, mail.m_hWnd);
  EXPECT_EQ(notes[0].notify.idFrom, 77u);
  EXPECT_EQ(plat::test::OpenedUrls().size(), 3u);

  // Without a link the label takes no clicks.
  mail.SetMailLink(FALSE, FALSE);
  EXPECT_FALSE(mail.GetStyle() & SS_NOTIFY);
}

TEST_F(LabelTest, AGradientFillsTheWholeLabelInBandsLimitedToItsWidth) {
  CLabel label;
  Make(label, L"", 50, 20);
  label.SetBkColor(0, RGB(255, 0, 0), TRUE);
  for (int y : {0, 10, 19}) {
    EXPECT_EQ(Pixel(&label, 0, y), RGB(0, 0, 0)) << y;
    EXPECT_EQ(Pixel(&label, 1, y), RGB(5, 0, 0)) << y;
    EXPECT_EQ(Pixel(&label, 25, y), RGB(127, 0, 0)) << y;
    EXPECT_EQ(Pixel(&label, 49, y), RGB(249, 0, 0)) << y;
  }

  // Wider than the bands: 100 bands of 3 pixels, the last one taking the rest.
  CLabel wide;
  Make(wide, L"", 305, 10);
  wide.SetBkColor(RGB(0, 200, 0), RGB(0, 0, 200), TRUE);
  EXPECT_EQ(Pixel(&wide, 0, 9), RGB(0, 200, 0));
  EXPECT_EQ(Pixel(&wide, 2, 9), RGB(0, 200, 0));
  EXPECT_EQ(Pixel(&wide, 3, 9), RGB(0, 198, 2));
  EXPECT_EQ(Pixel(&wide, 304, 9), Pixel(&wide, 297, 9));
}

TEST_F(LabelTest, FontSettersChangeOnlyTheirPartOfTheFont) {
  CFont big;
  LOGFONTW bigDesc;
  bigDesc.lfHeight = -20;
  bigDesc.lfWeight = 600;
  big.CreateFontIndirect(&bigDesc);
  CStatic plain;
  ASSERT_TRUE(plain.Create(L"x", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &parent));
  plain.SetFont(&big);
  CLabel label;
  ASSERT_TRUE(label.SubclassWindow(plain.m_hWnd));
  EXPECT_EQ(label.GetFontDescription().lfHeight, -20);
  EXPECT_EQ(label.GetFontDescription().lfWeight, 600);
  label.SetFontBold(FALSE);
  EXPECT_EQ(label.GetFontDescription().lfWeight, FW_NORMAL);
  label.SetFontBold(TRUE).SetFontItalic(TRUE).SetFontUnderline(TRUE);
  EXPECT_EQ(label.GetFontDescription().lfWeight, FW_BOLD);
  EXPECT_EQ(label.GetFontDescription().lfItalic, 1);
  EXPECT_EQ(label.GetFontDescription().lfUnderline, 1);
  label.SetFontName(L"DejaVu Serif", ANSI_CHARSET).SetFontSize(9);
  EXPECT_EQ(label.GetFontDescription().lfHeight, -12);
  EXPECT_EQ(plat::FaceNameOf(label.GetFontDescription()), L"DejaVu Serif");
  EXPECT_EQ(label.GetFontDescription().lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(label.GetFontDescription().lfWeight, FW_BOLD);
  label.SetRotationAngle(90, TRUE);
  EXPECT_EQ(label.GetFontDescription().lfEscapement, 900);
  EXPECT_EQ(label.GetFontDescription().lfOrientation, 900);

  // A label without a font of its own starts from the system font.
  CLabel bare;
  Make(bare, L"x", 20, 20);
  LOGFONTW system;
  CFont stock;
  stock.CreateStockObject(SYSTEM_FONT);
  stock.GetLogFont(&system);
  EXPECT_EQ(bare.GetFontDescription().lfHeight, system.lfHeight);
  EXPECT_EQ(plat::FaceNameOf(bare.GetFontDescription()), plat::FaceNameOf(system));
}

TEST_F(LabelTest, TheShadowIsASecondPrintOffsetByOnePixelOverTheText) {
  CLabel label;
  Make(label, L"Hi", 120, 40, SS_CENTERIMAGE);
  label.SetBkColor(RGB(255, 255, 255)).SetTextColor(0).SetShadowColor(kRed);
  const PixelSet text = Of(label, 0);
  ASSERT_FALSE(text.empty());
  EXPECT_TRUE(Of(label, kRed).empty());

  for (int direction : {0, 1}) {
    label.SetTextShadow(TRUE, direction);
    const int d = direction == 0 ? -1 : 1;
    PixelSet shadow, rest;
    for (const auto& [x, y] : text) shadow.insert({x + d, y + d});
    for (const auto& p : text) {
      if (!shadow.count(p)) rest.insert(p);
    }
    EXPECT_EQ(Of(label, kRed), shadow) << direction;
    EXPECT_EQ(Of(label, 0), rest) << direction;
  }
}

TEST_F(LabelTest, ATransparentLabelShowsItsParentAndTheFaceColourFollowsTheSystem) {
  CLabel glass;
  Make(glass, L"Hi", 60, 30);
  glass.SetTextColor(kRed).SetTransparent(TRUE);
  plat::test::Pump();
  EXPECT_TRUE(glass.GetExStyle() & WS_EX_TRANSPARENT);
  EXPECT_EQ(Pixel(&glass, 58, 28), GetSysColor(COLOR_WINDOW));
  EXPECT_FALSE(Of(glass, kRed).empty());

  CLabel face;
  Make(face, L"", 30, 30);
  EXPECT_EQ(Pixel(&face, 5, 5), GetSysColor(COLOR_3DFACE));
  const COLORREF old = GetSysColor(COLOR_3DFACE);
  plat::test::SetSysColor(COLOR_3DFACE, RGB(1, 2, 3));
  plat::test::Pump();
  EXPECT_EQ(Pixel(&face, 5, 5), RGB(1, 2, 3));
  plat::test::SetSysColor(COLOR_3DFACE, old);
}

TEST_F(LabelTest, RotatedTextRunsAlongItsAngleFromTheCentre) {
  CLabel label;
  Make(label, L"WWWW", 100, 100);
  label.SetBkColor(RGB(255, 255, 255)).SetTextColor(0);
  const CRect flat = Box(Of(label, 0));
  EXPECT_GT(flat.Width(), flat.Height());
  label.SetRotationAngle(90, TRUE);
  const CRect up = Box(Of(label, 0));
  EXPECT_GT(up.Height(), up.Width());
  EXPECT_LE(up.bottom, 51);  // the baseline starts at the centre and runs upwards
  EXPECT_LE(up.right, 51);
  EXPECT_GE(up.right, 45);
}
