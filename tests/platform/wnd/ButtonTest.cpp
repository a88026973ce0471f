#include <gtest/gtest.h>

#include <QFontMetrics>
#include <algorithm>

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/Static.h"
#include "tests/support/TestHarness.h"

using plat::test::Key;
using plat::test::Mouse;
using plat::test::SpyWnd;

namespace {

// An owner-drawn button that records what it was asked to draw.
class OwnerButton : public CButton {
 public:
  void DrawItem(LPDRAWITEMSTRUCT item) override {
    states.push_back(item->itemState);
    CDC* dc = CDC::FromHandle(item->hDC);
    font = dc->GetCurrentFont();
    dc->FillSolidRect(&item->rcItem, (item->itemState & ODS_SELECTED) ? RGB(0, 0, 255) : RGB(255, 0, 0));
  }
  std::vector<UINT> states;
  CFont* font = nullptr;
};

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(parent.CreateTopLevel(CRect(100, 100, 400, 300)));
  }

  std::vector<WPARAM> Clicks() const {
    std::vector<WPARAM> out;
    for (const auto& r : parent.Of(WM_COMMAND)) {
      if (HIWORD(r.wParam) == BN_CLICKED) out.push_back(LOWORD(r.wParam));
    }
    return out;
  }

  SpyWnd parent;
};

}  // namespace

TEST_F(ButtonTest, APressedButtonFollowsThePointerAndClicksOnlyWhenReleasedOverIt) {
  CButton b;
  ASSERT_TRUE(b.Create(L"Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), &parent, 300));
  Mouse(&b, WM_LBUTTONDOWN, {5, 5});
  EXPECT_TRUE(b.GetState() & BST_PUSHED);
  EXPECT_EQ(CWnd::GetCapture(), &b);
  EXPECT_EQ(CWnd::GetFocus(), &b);
  Mouse(&b, WM_MOUSEMOVE, {200, 5}, MK_LBUTTON);
  EXPECT_FALSE(b.GetState() & BST_PUSHED);
  Mouse(&b, WM_MOUSEMOVE, {6, 6}, MK_LBUTTON);
  EXPECT_TRUE(b.GetState() & BST_PUSHED);
  Mouse(&b, WM_LBUTTONUP, {6, 6});
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{300});
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  EXPECT_FALSE(b.GetState() & BST_PUSHED);

  Mouse(&b, WM_LBUTTONDOWN, {5, 5});
  Mouse(&b, WM_LBUTTONUP, {200, 5});  // released elsewhere: no click
  EXPECT_EQ(Clicks().size(), 1u);

  // Every click is a press: two fast clicks are two clicks.
  plat::test::Clock().Advance(1000);
  Mouse(&b, WM_LBUTTONDOWN, {5, 5});
  Mouse(&b, WM_LBUTTONUP, {5, 5});
  plat::test::Clock().Advance(100);
  Mouse(&b, WM_LBUTTONDOWN, {5, 5});
  Mouse(&b, WM_LBUTTONUP, {5, 5});
  EXPECT_EQ(Clicks().size(), 3u);

  // The space key presses on key-down and clicks on key-up; losing the focus ends a press.
  Key(WM_KEYDOWN, VK_SPACE);
  EXPECT_TRUE(b.GetState() & BST_PUSHED);
  Key(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(Clicks().size(), 4u);
  Mouse(&b, WM_LBUTTONDOWN, {5, 5});
  parent.SetFocus();
  EXPECT_FALSE(b.GetState() & BST_PUSHED);
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  Mouse(&b, WM_LBUTTONUP, {5, 5});
  EXPECT_EQ(Clicks().size(), 4u);
}

TEST_F(ButtonTest, AutomaticButtonsChangeTheirCheckBeforeTheParentHearsTheClick) {
  CButton box;
  ASSERT_TRUE(box.Create(L"Tick", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 10, 110, 30), &parent, 1125));
  int seen = -1;
  parent.answer = [&](UINT msg, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_COMMAND && LOWORD(w) == 1125) seen = box.GetCheck();
    return std::nullopt;
  };
  Mouse(&box, WM_LBUTTONDOWN, {5, 5});
  Mouse(&box, WM_LBUTTONUP, {5, 5});
  EXPECT_EQ(seen, BST_CHECKED);
  EXPECT_EQ(box.GetCheck(), BST_CHECKED);
  plat::test::Clock().Advance(1000);
  Mouse(&box, WM_LBUTTONDOWN, {5, 5});
  Mouse(&box, WM_LBUTTONUP, {5, 5});
  EXPECT_EQ(box.GetCheck(), BST_UNCHECKED);

  CButton push;
  ASSERT_TRUE(push.Create(L"Push", WS_CHILD | WS_VISIBLE, CRect(10, 40, 110, 60), &parent, 5));
  push.SetCheck(BST_CHECKED);
  EXPECT_EQ(push.GetCheck(), BST_UNCHECKED);

  // Radio buttons of one group: checking one clears the others; CheckRadioButton sets one.
  CButton r1, r2, r3, other;
  ASSERT_TRUE(r1.Create(L"1", WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, CRect(10, 70, 60, 90), &parent, 1050));
  ASSERT_TRUE(r2.Create(L"2", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, CRect(70, 70, 120, 90), &parent, 1051));
  ASSERT_TRUE(r3.Create(L"3", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, CRect(130, 70, 180, 90), &parent, 1052));
  ASSERT_TRUE(other.Create(L"x", WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, CRect(10, 100, 60, 120), &parent, 1060));
  other.SetCheck(BST_CHECKED);
  parent.CheckRadioButton(1050, 1052, 1051);
  EXPECT_EQ(r2.GetCheck(), BST_CHECKED);
  Mouse(&r3, WM_LBUTTONDOWN, {5, 5});
  Mouse(&r3, WM_LBUTTONUP, {5, 5});
  EXPECT_EQ(r1.GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(r2.GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(r3.GetCheck(), BST_CHECKED);
  EXPECT_EQ(other.GetCheck(), BST_CHECKED);  // another group
  EXPECT_EQ(parent.GetNextDlgGroupItem(&r3), &r1);
  EXPECT_EQ(parent.GetNextDlgGroupItem(&r1, TRUE), &r3);
  r2.ShowWindow(SW_HIDE);
  EXPECT_EQ(parent.GetNextDlgGroupItem(&r1), &r3);  // hidden controls are skipped
}

TEST_F(ButtonTest, AnOwnerDrawnButtonDrawsItselfInEachStateWithItsFont) {
  OwnerButton b;
  ASSERT_TRUE(b.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 40), &parent, 1020));
  CFont font;
  LOGFONTW lf = plat::MessageFont();
  lf.lfWeight = FW_BOLD;
  ASSERT_TRUE(font.CreateFontIndirect(&lf));
  b.SetFont(&font);
  plat::test::Pump();
  ASSERT_FALSE(b.states.empty());
  EXPECT_EQ(b.states.back(), 0u);
  EXPECT_EQ(b.font, &font);
  EXPECT_EQ(plat::test::Pixel(&b, 25, 15), RGB(255, 0, 0));

  Mouse(&b, WM_LBUTTONDOWN, {5, 5});
  EXPECT_EQ(b.states.back(), ODS_SELECTED | ODS_FOCUS);
  EXPECT_EQ(plat::test::Pixel(&b, 25, 15), RGB(0, 0, 255));
  Mouse(&b, WM_LBUTTONUP, {5, 5});
  EXPECT_EQ(b.states.back(), static_cast<UINT>(ODS_FOCUS));
  b.EnableWindow(FALSE);
  plat::test::Pump();
  EXPECT_EQ(b.states.back() & ODS_DISABLED, ODS_DISABLED);
  EXPECT_EQ(plat::test::Grab(&parent).pixel(35, 25), qRgb(255, 0, 0));
}

TEST_F(ButtonTest, StaticsDrawTheirTextAndBitmap) {
  CStatic text;
  ASSERT_TRUE(text.Create(L"WWWW", WS_CHILD | WS_VISIBLE | SS_CENTER, CRect(10, 10, 110, 40), &parent));
  plat::test::Pump();
  bool inked = false;
  for (int x = 0; x < 100; ++x) {
    for (int y = 0; y < 30; ++y) inked = inked || plat::test::Pixel(&text, x, y) == GetSysColor(COLOR_BTNTEXT);
  }
  EXPECT_TRUE(inked);
  EXPECT_EQ(plat::test::Pixel(&text, 1, 28), GetSysColor(COLOR_3DFACE));
  text.SetWindowText(L"");
  plat::test::Pump();
  EXPECT_EQ(plat::test::Pixel(&text, 50, 15), GetSysColor(COLOR_3DFACE));

  CStatic picture;
  ASSERT_TRUE(picture.Create(L"", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE, CRect(10, 50, 50, 90), &parent));
  CBitmap bmp;
  const std::vector<DWORD> green(16, 0x0000FF00);
  ASSERT_TRUE(bmp.CreateBitmap(4, 4, 1, 32, green.data()));
  EXPECT_EQ(picture.SetBitmap(bmp), nullptr);
  EXPECT_EQ(picture.GetBitmap(), static_cast<HBITMAP>(bmp));
  plat::test::Pump();
  EXPECT_EQ(plat::test::Pixel(&picture, 18, 18), RGB(0, 255, 0));
  EXPECT_EQ(plat::test::Pixel(&picture, 2, 2), GetSysColor(COLOR_3DFACE));
}

// The title's ink (the frame is far lighter than the text) spans the text's width in the font set,
// well above the widget's own.
TEST_F(ButtonTest, AGroupBoxShowsItsWholeTitleInTheFontItDrawsWith) {
  const CString title(L"Резервная копия");
  CButton box;
  ASSERT_TRUE(box.Create(title, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, CRect(0, 0, 300, 120), &parent, 1030));
  LOGFONTW lf = plat::MessageFont();
  lf.lfHeight = -24;
  CFont font;
  ASSERT_TRUE(font.CreateFontIndirect(&lf));
  box.SetFont(&font);
  plat::test::Pump();
  const QImage shot = plat::test::Grab(&box);
  plat::test::SavePng(shot, "group_box_long_title");
  int left = shot.width();
  int right = -1;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      if (qGray(shot.pixel(x, y)) >= 100) continue;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  EXPECT_GE(right - left + 5, QFontMetrics(plat::QFontOf(lf)).horizontalAdvance(plat::ToQString(title)));
}
