#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QToolTip>
#include <QWidget>

#include "SkinTestSupport.h"
#include "controls/Messages.h"
#include "controls/VxSkinButton.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/ToolTipCtrl.h"
#include "settings/AppConfig.h"
#include "tests/support/TestHarness.h"

using namespace skintest;
using plat::test::Key;
using plat::test::Mouse;
using plat::test::Pixel;
using plat::test::Pump;
using plat::test::SpyWnd;

namespace {

constexpr UINT kStrip = 9101;        // 4 frames of 50 x 30
constexpr UINT kMaskedStrip = 9102;  // 5 frames of 50 x 30
constexpr UINT kNarrowStrip = 9103;  // 200 x 30, cut into 4 or 5 frames
constexpr UINT kMissing = 9199;

class SkinButtonTest : public ParentWindowTest {
 protected:
  static void SetUpTestSuite() {
    RegisterFourStates(kStrip, 50, 30);
    RegisterFourStates(kMaskedStrip, 50, 30, true);
    Register(kNarrowStrip, Solid(200, 30, kPurple));
  }

  BOOL Make(CVxSkinButton& b, DWORD type, const CRect& rect, UINT id, LPCWSTR text = L"") {
    if (!b.Create(text, WS_CHILD | WS_VISIBLE | type, rect, &parent, id)) return FALSE;
    return b.SetSkin(kStrip);
  }

  // The colour at the middle of the button once everything pending is painted.
  static COLORREF Middle(const CVxSkinButton& b) {
    Pump();
    return Pixel(&b, 25, 15);
  }
};

// Counts the uncheck messages it receives.
class RecordingButton : public CVxSkinButton {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_SKINBUTTON_UNCHECK) ++unchecks;
    return CVxSkinButton::WindowProc(msg, wParam, lParam);
  }
  int unchecks = 0;
};

}  // namespace

TEST_F(SkinButtonTest, FramesFollowHoverPressAndThePointerWhilePressed) {
  CVxSkinButton b;
  ASSERT_TRUE(Make(b, BS_PUSHBUTTON, CRect(10, 10, 60, 40), 300));
  EXPECT_EQ(Middle(b), kRed);
  Mouse(&b, WM_MOUSEMOVE, {25, 15});
  EXPECT_EQ(Middle(b), kGreen);
  Mouse(&b, WM_LBUTTONDOWN, {25, 15});
  EXPECT_EQ(Middle(b), kBlue);
  EXPECT_TRUE(b.IsPressed());
  Mouse(&b, WM_MOUSEMOVE, {200, 15});  // captured, outside: unpushed, and the hover ended with the press
  EXPECT_EQ(Middle(b), kRed);
  Mouse(&b, WM_MOUSEMOVE, {20, 10});
  EXPECT_EQ(Middle(b), kBlue);
  Mouse(&b, WM_LBUTTONUP, {20, 10});
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{300});
  EXPECT_FALSE(b.IsPressed());
  EXPECT_EQ(Middle(b), kRed);
  Mouse(&b, WM_MOUSEMOVE, {21, 10});
  EXPECT_EQ(Middle(b), kGreen);
  Mouse(&parent, WM_MOUSEMOVE, {200, 150});  // the pointer leaves
  EXPECT_EQ(Middle(b), kRed);

  // A press released elsewhere is no click; two fast clicks are two clicks.
  Mouse(&b, WM_LBUTTONDOWN, {25, 15});
  Mouse(&b, WM_LBUTTONUP, {200, 15});
  EXPECT_EQ(Clicks().size(), 1u);
  for (int i = 0; i < 2; ++i) {
    plat::test::Clock().Advance(50);
    Mouse(&b, WM_LBUTTONDOWN, {25, 15});
    Mouse(&b, WM_LBUTTONUP, {25, 15});
  }
  EXPECT_EQ(Clicks().size(), 3u);

  // Losing the focus ends a press.
  Mouse(&b, WM_LBUTTONDOWN, {25, 15});
  EXPECT_TRUE(b.IsPressed());
  parent.SetFocus();
  EXPECT_FALSE(b.IsPressed());
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  Mouse(&b, WM_LBUTTONUP, {25, 15});
  EXPECT_EQ(Clicks().size(), 3u);
}

TEST_F(SkinButtonTest, DisabledButtonsShowTheirFrameAndEngravedText) {
  CVxSkinButton plain, texted;
  ASSERT_TRUE(Make(plain, BS_PUSHBUTTON, CRect(10, 10, 60, 40), 301));
  ASSERT_TRUE(Make(texted, BS_PUSHBUTTON, CRect(70, 10, 120, 40), 302, L"WWW"));
  const COLORREF light = GetSysColor(COLOR_3DHILIGHT);
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  plat::test::SetSysColor(COLOR_3DHILIGHT, kYellow);
  plat::test::SetSysColor(COLOR_GRAYTEXT, kOrange);
  Pump();
  EXPECT_GT(CountOf(texted, RGB(0, 0, 0)), 0);  // enabled text in the button text colour
  EXPECT_EQ(CountOf(texted, kYellow), 0);

  plain.EnableWindow(FALSE);
  texted.EnableWindow(FALSE);
  EXPECT_EQ(Middle(plain), kGrey);
  EXPECT_EQ(Pixel(&texted, 2, 2), kGrey);
  EXPECT_GT(CountOf(texted, kYellow), 0);
  EXPECT_GT(CountOf(texted, kOrange), 0);
  EXPECT_EQ(CountOf(texted, RGB(0, 0, 0)), 0);
  // The grey print lies one pixel up and left of the light one.
  CRect rc;
  texted.GetClientRect(&rc);
  bool shifted = false;
  for (int y = 1; y < rc.Height() && !shifted; ++y) {
    for (int x = 1; x < rc.Width() && !shifted; ++x) {
      shifted = Pixel(&texted, x, y) == kYellow && Pixel(&texted, x - 1, y - 1) == kOrange;
    }
  }
  EXPECT_TRUE(shifted);
  plat::test::SetSysColor(COLOR_3DHILIGHT, light);
  plat::test::SetSysColor(COLOR_GRAYTEXT, grey);
}

TEST_F(SkinButtonTest, TheButtonTypeComesFromTheExactStyleTypeAndDecidesTheCheckState) {
  struct Case {
    DWORD style;
    CVxSkinButton::ButtonType type;
  };
  const Case cases[] = {{BS_PUSHBUTTON, CVxSkinButton::kPushButton},    {BS_DEFPUSHBUTTON, CVxSkinButton::kPushButton},
                        {BS_CHECKBOX, CVxSkinButton::kToggleButton},    {BS_AUTOCHECKBOX, CVxSkinButton::kToggleButton},
                        {BS_RADIOBUTTON, CVxSkinButton::kRadioButton},  {BS_AUTORADIOBUTTON, CVxSkinButton::kRadioButton},
                        {BS_GROUPBOX, CVxSkinButton::kPushButton},      {BS_OWNERDRAW, CVxSkinButton::kPushButton}};
  UINT id = 400;
  for (const Case& c : cases) {
    CVxSkinButton b;
    ASSERT_TRUE(Make(b, c.style | WS_GROUP, CRect(10, 10, 60, 40), id++));
    EXPECT_EQ(b.GetButtonType(), c.type) << c.style;
    EXPECT_EQ(b.GetButtonStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    b.SetCheck(BST_CHECKED);
    EXPECT_EQ(b.GetCheck(), c.type == CVxSkinButton::kPushButton ? BST_UNCHECKED : BST_CHECKED) << c.style;
  }
}

TEST_F(SkinButtonTest, ToggleButtonsChangeBeforeTheParentHearsTheClickAndOnlyForTheirOwnPress) {
  CVxSkinButton t;
  ASSERT_TRUE(Make(t, BS_AUTOCHECKBOX, CRect(10, 10, 60, 40), 310));
  int seen = -1;
  parent.answer = [&](UINT msg, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_COMMAND && LOWORD(w) == 310) seen = t.GetCheck();
    return std::nullopt;
  };
  Mouse(&t, WM_LBUTTONDOWN, {25, 15});
  Mouse(&t, WM_LBUTTONUP, {25, 15});
  EXPECT_EQ(seen, BST_CHECKED);
  EXPECT_EQ(Middle(t), kBlue);  // checked looks pressed
  Mouse(&t, WM_MOUSEMOVE, {26, 15});
  EXPECT_EQ(Middle(t), kBlue);

  Mouse(&t, WM_LBUTTONDOWN, {25, 15});
  Mouse(&t, WM_LBUTTONUP, {200, 15});  // released outside
  EXPECT_EQ(t.GetCheck(), BST_CHECKED);
  EXPECT_EQ(Clicks().size(), 1u);

  // A release over the button that ends no press on it changes nothing.
  Mouse(&parent, WM_LBUTTONDOWN, {200, 150});
  Mouse(&t, WM_LBUTTONUP, {25, 15});
  EXPECT_EQ(t.GetCheck(), BST_CHECKED);

  // The space key toggles on key-down, once however long it is held.
  t.SetFocus();
  Key(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(t.GetCheck(), BST_UNCHECKED);
  t.SendMessage(WM_KEYDOWN, VK_SPACE, 1 << 30);  // auto-repeat
  EXPECT_EQ(t.GetCheck(), BST_UNCHECKED);
  Key(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(t.GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(Middle(t), kRed);
}

TEST_F(SkinButtonTest, ACheckedRadioUnchecksTheOtherSkinnedButtonsOfItsGroupOnly) {
  RecordingButton r1, r2, r3, nextGroup;
  SpyWnd foreign;
  ASSERT_TRUE(Make(r1, BS_AUTORADIOBUTTON | WS_GROUP, CRect(10, 10, 60, 40), 501));
  ASSERT_TRUE(Make(r2, BS_AUTORADIOBUTTON, CRect(70, 10, 120, 40), 502));
  ASSERT_TRUE(Make(r3, BS_AUTORADIOBUTTON, CRect(130, 10, 180, 40), 503));
  ASSERT_TRUE(foreign.CreateChild(&parent, CRect(190, 10, 240, 40), 504));
  ASSERT_TRUE(Make(nextGroup, BS_AUTORADIOBUTTON | WS_GROUP, CRect(10, 50, 60, 80), 505));
  nextGroup.SetCheck(BST_CHECKED);
  r1.SetCheck(BST_CHECKED);
  EXPECT_EQ(Middle(r1), kBlue);
  EXPECT_EQ(r2.unchecks + r3.unchecks, 2);
  EXPECT_EQ(r1.unchecks + nextGroup.unchecks, 0);

  r2.SetCheck(BST_CHECKED);
  EXPECT_EQ(r1.GetCheck(), BST_CHECKED);  // posted, not yet handled
  Pump();
  EXPECT_EQ(r1.unchecks, 1);
  EXPECT_EQ(r3.unchecks, 2);
  EXPECT_EQ(r2.unchecks, 1);
  EXPECT_EQ(nextGroup.unchecks, 0);
  EXPECT_TRUE(foreign.Of(WM_SKINBUTTON_UNCHECK).empty());
  EXPECT_EQ(r1.GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(r2.GetCheck(), BST_CHECKED);
  EXPECT_EQ(nextGroup.GetCheck(), BST_CHECKED);
  EXPECT_EQ(Middle(r1), kRed);
  EXPECT_EQ(Middle(r2), kBlue);

  // Clicking a radio checks it.
  Mouse(&r3, WM_LBUTTONDOWN, {25, 15});
  Mouse(&r3, WM_LBUTTONUP, {25, 15});
  EXPECT_EQ(r3.GetCheck(), BST_CHECKED);
  EXPECT_EQ(r2.GetCheck(), BST_UNCHECKED);

  // A hidden radio, which the group walk never comes back to, still ends its walk.
  r2.ShowWindow(SW_HIDE);
  r2.SetCheck(BST_CHECKED);
  Pump();
  EXPECT_EQ(r3.GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(r2.GetCheck(), BST_CHECKED);
  EXPECT_EQ(r1.unchecks, 3);
  EXPECT_EQ(r3.unchecks, 3);
  EXPECT_TRUE(foreign.Of(WM_SKINBUTTON_UNCHECK).empty());
}

TEST_F(SkinButtonTest, AMaskFrameLetsTheParentShowWhereTheMaskIsWhite) {
  parent.answer = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_PAINT) return std::nullopt;
    CPaintDC dc(&parent);
    CRect rc;
    parent.GetClientRect(&rc);
    dc.FillSolidRect(&rc, kNavy);
    return 0;
  };
  parent.Invalidate();
  CVxSkinButton b;
  ASSERT_TRUE(b.Create(L"", WS_CHILD | WS_VISIBLE, CRect(30, 20, 80, 50), &parent, 320));
  ASSERT_TRUE(b.SetSkin(kMaskedStrip, 1, FALSE, 0, TRUE));
  EXPECT_EQ(b.GetFrameSize(), CSize(50, 30));
  b.Invalidate();
  Pump();
  EXPECT_EQ(Pixel(&b, 5, 15), kNavy);
  EXPECT_EQ(Pixel(&b, 24, 15), kNavy);
  EXPECT_EQ(Pixel(&b, 25, 15), kRed);
  EXPECT_EQ(Pixel(&b, 45, 15), kRed);
  Mouse(&b, WM_MOUSEMOVE, {40, 15});
  Pump();
  EXPECT_EQ(Pixel(&b, 40, 15), kGreen);
  EXPECT_EQ(Pixel(&b, 5, 15), kNavy);  // not the frame drawn before
  const QImage screen = plat::test::Grab(&parent);
  EXPECT_EQ(screen.pixel(35, 35), qRgb(10, 20, 90));
  EXPECT_EQ(screen.pixel(70, 35), qRgb(30, 200, 60));

  // Frames are the strip's width over 4, or over 5 with the mask.
  CVxSkinButton four, five;
  ASSERT_TRUE(four.Create(L"", WS_CHILD, CRect(0, 0, 50, 30), &parent, 321));
  ASSERT_TRUE(five.Create(L"", WS_CHILD, CRect(0, 0, 40, 30), &parent, 322));
  ASSERT_TRUE(four.SetSkin(kNarrowStrip, 1, FALSE, 0, FALSE));
  ASSERT_TRUE(five.SetSkin(kNarrowStrip, 1, FALSE, 0, TRUE));
  EXPECT_EQ(four.GetFrameSize(), CSize(50, 30));
  EXPECT_EQ(five.GetFrameSize(), CSize(40, 30));
}

TEST_F(SkinButtonTest, SkinSettingsAreLimitedAndTheFocusRectangleKeepsItsInset) {
  CVxSkinButton b;
  ASSERT_TRUE(b.Create(L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(10, 10, 60, 40), &parent, 330));
  ASSERT_TRUE(b.SetSkin(kStrip, 7, FALSE, -3, FALSE));
  EXPECT_EQ(b.GetStretchStyle(), 2);
  EXPECT_EQ(b.GetFocusInset(), 0);
  b.SetFocus();
  EXPECT_EQ(Middle(b), kRed);
  EXPECT_EQ(Pixel(&b, 0, 0), kRed);  // no focus rectangle with inset 0
  ASSERT_TRUE(b.SetSkin(kStrip, -1, FALSE, 2, FALSE));
  EXPECT_EQ(b.GetStretchStyle(), 0);
  EXPECT_EQ(b.GetFocusInset(), 2);
  b.Invalidate();
  EXPECT_EQ(Middle(b), kRed);
  const COLORREF inverted = RGB(255 - 220, 255 - 30, 255 - 30);
  EXPECT_EQ(Pixel(&b, 2, 2), inverted);
  EXPECT_EQ(Pixel(&b, 3, 2), kRed);  // dotted
  EXPECT_EQ(Pixel(&b, 4, 2), inverted);
  EXPECT_EQ(Pixel(&b, 1, 1), kRed);
  EXPECT_EQ(Pixel(&b, 46, 2), inverted);
  EXPECT_EQ(Pixel(&b, 47, 3), inverted);  // the right side at x 47
  parent.SetFocus();
  Pump();
  EXPECT_EQ(Pixel(&b, 2, 2), kRed);

  // With the border flag a raised edge frames the button; a missing bitmap leaves a plain face.
  ASSERT_TRUE(b.SetSkin(kStrip, 1, TRUE, 0, FALSE));
  b.Invalidate();
  EXPECT_EQ(Middle(b), kRed);
  EXPECT_NE(Pixel(&b, 0, 0), kRed);
  EXPECT_FALSE(b.SetSkin(kMissing));
  EXPECT_FALSE(b.HasSkin());
  EXPECT_EQ(b.GetFrameSize(), CSize());
  b.Invalidate();
  EXPECT_EQ(Middle(b), GetSysColor(COLOR_BTNFACE));
}

TEST_F(SkinButtonTest, TheTooltipShowsTheTranslatedText) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QDir(dir.path()).mkdir("Language");
  QFile config(dir.filePath("Config.ini"));
  ASSERT_TRUE(config.open(QIODevice::WriteOnly));
  config.write("[Config]\r\nLanguage File=de_DE\r\n");
  config.close();
  QFile language(dir.filePath("Language/de_DE.ini"));
  ASSERT_TRUE(language.open(QIODevice::WriteOnly));
  language.write("[Language String]\r\nPlay=Wiedergabe\r\n");
  language.close();
  const CString oldFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.path().toStdWString().c_str()));
  g_appConfig.SelectLanguage();

  CVxSkinButton b;
  ASSERT_TRUE(Make(b, BS_PUSHBUTTON, CRect(10, 10, 60, 40), 340));
  EXPECT_TRUE(b.SetTooltipText(L"Play"));
  EXPECT_EQ(b.Widget()->toolTip(), QString("Wiedergabe"));
  EXPECT_TRUE(b.SetTooltipText(L"Stop"));  // no translation: the English text
  EXPECT_EQ(b.Widget()->toolTip(), QString("Stop"));

  g_appConfig.SetAppFolder(oldFolder);
  g_appConfig.SelectLanguage();
}

// The main window's one tooltip control and a button's own tip share the button: the tip set
// last shows, and a tip on show follows its text (the position slider's, every second).
TEST_F(SkinButtonTest, TheWindowsTooltipAndAButtonsOwnTipShareItAndATipOnShowFollowsItsText) {
  CVxSkinButton play;
  ASSERT_TRUE(Make(play, BS_PUSHBUTTON, CRect(10, 10, 60, 40), 350));
  SpyWnd slider;
  ASSERT_TRUE(slider.CreateChild(&parent, CRect(10, 60, 210, 80), 1045));
  CToolTipCtrl tips;
  ASSERT_TRUE(tips.Create(&parent));
  ASSERT_TRUE(tips.AddTool(&play, L"Play") && tips.AddTool(&slider, L"Position"));
  const auto tipOf = [](const CWnd& w) { return w.Widget()->toolTip(); };
  EXPECT_TRUE(play.SetTooltipText(L"Play from here"));
  EXPECT_EQ(tipOf(play), "Play from here");
  tips.UpdateTipText(L"Play", &play);
  EXPECT_EQ(tipOf(play), "Play");
  tips.Activate(FALSE);
  EXPECT_EQ(tipOf(play), "Play from here");
  EXPECT_EQ(tipOf(slider), "");
  tips.Activate(TRUE);

  QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), slider.Widget()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(slider.Widget(), &hover);
  ASSERT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "Position");
  for (const wchar_t* time : {L"2024-05-01 12:00:00", L"2024-05-01 12:00:01"}) {
    tips.UpdateTipText(time, &slider);
    EXPECT_EQ(QToolTip::text(), QString::fromWCharArray(time));
  }
  QToolTip::hideText();
  tips.DestroyWindow();  // without the window's tooltip the button keeps its own tip
  EXPECT_EQ(tipOf(play), "Play from here");
}
