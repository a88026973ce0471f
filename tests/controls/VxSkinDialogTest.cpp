#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QWidget>

#include "SkinTestSupport.h"
#include "controls/Messages.h"
#include "controls/VxSkinButton.h"
#include "controls/VxSkinDialog.h"
#include "controls/VxSkinSldButton.h"
#include "controls/VxSkinSldButton2.h"
#include "tests/support/TestHarness.h"

using namespace skintest;
using plat::test::Key;
using plat::test::Mouse;
using plat::test::Pixel;
using plat::test::Pump;

namespace {

constexpr UINT kPanelTemplate = 9101;  // 200 x 100 popup: skinned button 1001, plain static 1002
constexpr UINT kHalfBackground = 9130;  // 100 x 50: navy left half, orange right half
constexpr UINT kButtonStrip = 9131;
constexpr UINT kMissing = 9199;

class SkinPanel : public CVxSkinDialog {
 public:
  SkinPanel() : CVxSkinDialog(kPanelTemplate, nullptr) {}
  using CVxSkinDialog::EnableDragByClientArea;
  using CVxSkinDialog::SetCornerEllipse;

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_LBUTTONUP) ++releases;
    if (msg == WM_COMMAND) commands.push_back(LOWORD(wParam));
    return CVxSkinDialog::WindowProc(msg, wParam, lParam);
  }

  // As the main window guards its close while a tool of its own is open.
  void OnClose() override {
    ++closes;
    if (!guardClose) CVxSkinDialog::OnClose();
  }

  CVxSkinButton button;
  int releases = 0;
  int closes = 0;
  bool guardClose = false;
  std::vector<WORD> commands;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1001, button); }
};

class SkinDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    QImage half = Solid(100, 50, kNavy);
    QPainter(&half).fillRect(50, 0, 50, 50, QColor(250, 140, 20));
    Register(kHalfBackground, half);
    RegisterFourStates(kButtonStrip, 50, 30);
  }
  void SetUp() override { plat::test::Reset(); }

  static CWnd* WindowAt(const CWnd& wnd, CPoint client) {
    POINT p = client;
    wnd.ClientToScreen(&p);
    return CWnd::WindowFromPoint(p);
  }

  static CPoint TopLeft(const CWnd& wnd) {
    CRect rc;
    wnd.GetWindowRect(&rc);
    return rc.TopLeft();
  }
};

}  // namespace

TEST_F(SkinDialogTest, TheBackgroundIsDrawnUnscaledFromTheTopLeft) {
  SkinPanel panel;
  ASSERT_TRUE(panel.Create(kPanelTemplate));
  ASSERT_TRUE(panel.SetSkin(kHalfBackground));
  EXPECT_TRUE(panel.IsSkinned());
  EXPECT_EQ(panel.GetSkinSize(), CSize(100, 50));
  Pump();
  EXPECT_EQ(Pixel(&panel, 0, 0), kNavy);
  EXPECT_EQ(Pixel(&panel, 49, 49), kNavy);
  EXPECT_EQ(Pixel(&panel, 50, 0), kOrange);
  EXPECT_EQ(Pixel(&panel, 99, 49), kOrange);
  EXPECT_EQ(Pixel(&panel, 100, 10), GetSysColor(COLOR_3DFACE));  // beyond the bitmap: the dialog face
  EXPECT_EQ(Pixel(&panel, 10, 50), GetSysColor(COLOR_3DFACE));
  EXPECT_EQ(Pixel(&panel, 199, 99), GetSysColor(COLOR_3DFACE));

  EXPECT_FALSE(panel.SetSkin(kMissing));  // a missing bitmap leaves a plain dialog
  EXPECT_FALSE(panel.IsSkinned());
  Pump();
  EXPECT_EQ(Pixel(&panel, 10, 10), GetSysColor(COLOR_3DFACE));
}

TEST_F(SkinDialogTest, SizingASkinnedDialogSetsItsRegion) {
  SkinPanel skinned, plain;
  ASSERT_TRUE(skinned.Create(kPanelTemplate));
  ASSERT_TRUE(plain.Create(kPanelTemplate));
  plain.MoveWindow(600, 300, 200, 100);
  skinned.SetCornerEllipse(40, 40);
  plain.SetCornerEllipse(40, 40);
  ASSERT_TRUE(skinned.SetSkin(kHalfBackground));
  EXPECT_EQ(WindowAt(skinned, {1, 1}), &skinned);  // no region before a size change
  skinned.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 100));
  plain.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 100));
  Pump();

  // The rounded rectangle runs 10 pixels past the right and bottom: the top-left corner is cut, the
  // bottom-right one stays whole.
  EXPECT_NE(WindowAt(skinned, {1, 1}), &skinned);
  EXPECT_EQ(WindowAt(skinned, {20, 20}), &skinned);
  EXPECT_EQ(WindowAt(skinned, {199, 99}), &skinned);
  EXPECT_EQ(WindowAt(skinned, {199, 10}), &skinned);
  EXPECT_EQ(WindowAt(plain, {1, 1}), &plain);  // without a background no region is set

  // Square corners: the region covers the whole window.
  skinned.SetCornerEllipse(0, 0);
  skinned.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 100));
  EXPECT_EQ(WindowAt(skinned, {0, 0}), &skinned);
}

TEST_F(SkinDialogTest, DraggingTheBareBackgroundMovesTheWindowAndAClickStaysAClick) {
  SkinPanel panel;
  ASSERT_TRUE(panel.Create(kPanelTemplate));
  ASSERT_TRUE(panel.SetSkin(kHalfBackground));
  ASSERT_TRUE(panel.button.SetSkin(kButtonStrip));
  Pump();
  const CPoint start = TopLeft(panel);

  // A click without movement reaches the window and moves nothing.
  Mouse(&panel, WM_LBUTTONDOWN, {150, 20});
  Mouse(&panel, WM_LBUTTONUP, {150, 20});
  EXPECT_EQ(panel.releases, 1);
  EXPECT_EQ(TopLeft(panel), start);

  plat::test::Clock().Advance(1000);
  Mouse(&panel, WM_LBUTTONDOWN, {150, 20});
  Mouse(&panel, WM_MOUSEMOVE, {180, 40});
  Mouse(&panel, WM_LBUTTONUP, {180, 40});
  EXPECT_EQ(TopLeft(panel), start + CPoint(30, 20));
  EXPECT_EQ(panel.releases, 1);  // the release that ends a move belongs to the move

  // A static that does not take the mouse is background too.
  plat::test::Clock().Advance(1000);
  Mouse(&panel, WM_LBUTTONDOWN, {20, 65});
  Mouse(&panel, WM_MOUSEMOVE, {10, 75});
  Mouse(&panel, WM_LBUTTONUP, {10, 75});
  EXPECT_EQ(TopLeft(panel), start + CPoint(20, 30));

  // A button keeps its press: the window stays.
  plat::test::Clock().Advance(1000);
  Mouse(&panel.button, WM_LBUTTONDOWN, {10, 10});
  Mouse(&panel.button, WM_MOUSEMOVE, {40, 25});
  Mouse(&panel.button, WM_LBUTTONUP, {40, 25});
  EXPECT_EQ(TopLeft(panel), start + CPoint(20, 30));
  EXPECT_EQ(panel.commands, std::vector<WORD>{1001});

  panel.EnableDragByClientArea(false);
  plat::test::Clock().Advance(1000);
  Mouse(&panel, WM_LBUTTONDOWN, {150, 20});
  Mouse(&panel, WM_MOUSEMOVE, {190, 60});
  Mouse(&panel, WM_LBUTTONUP, {190, 60});
  EXPECT_EQ(TopLeft(panel), start + CPoint(20, 30));
}

TEST_F(SkinDialogTest, EnterAndEscapeDoNotEndASkinnedWindowAndTheWindowManagersCloseGoesToItsClose) {
  SkinPanel panel;
  bool openAfterKeys = false;
  bool openWhileGuarded = false;
  const auto closeFromWindowManager = [&panel] {
    QCloseEvent close;
    QApplication::sendEvent(panel.Widget(), &close);
    Pump();
  };
  plat::test::WhileModal([&] {
    ASSERT_TRUE(panel.button.SetSkin(kButtonStrip));
    panel.button.SetFocus();
    Key(WM_KEYDOWN, VK_ESCAPE);
    Key(WM_KEYDOWN, VK_RETURN);  // clicks the focused skinned button
    panel.SetFocus();
    Key(WM_KEYDOWN, VK_RETURN);
    openAfterKeys = panel.IsWindowVisible() != FALSE;
    panel.guardClose = true;
    closeFromWindowManager();
    openWhileGuarded = panel.IsWindowVisible() != FALSE;
  });
  plat::test::WhileModal([&] {
    panel.guardClose = false;
    closeFromWindowManager();
  });
  EXPECT_EQ(panel.DoModal(), IDCANCEL);
  EXPECT_TRUE(openAfterKeys);
  EXPECT_TRUE(openWhileGuarded);
  EXPECT_EQ(panel.closes, 2);
  EXPECT_EQ(panel.commands, (std::vector<WORD>{IDCANCEL, 1001, IDOK}));
}

namespace {

constexpr UINT kDemoTemplate = 9100;
constexpr UINT kDemoBackground = 9140;
constexpr UINT kDemoButtons = 9141;
constexpr UINT kDemoRound = 9142;
constexpr UINT kDemoTrack = 9143;
constexpr UINT kDemoThumb = 9144;
constexpr UINT kDemoStart = 9145;
constexpr UINT kDemoEnd = 9146;
constexpr UINT kDemoColumn = 9147;
constexpr UINT kDemoKnob = 9148;

// The faces of the demo's buttons, in the order of the frames.
const COLORREF kFaces[] = {RGB(120, 160, 210), RGB(170, 205, 245), RGB(60, 95, 150), RGB(150, 150, 150)};
const COLORREF kRounds[] = {RGB(200, 170, 60), RGB(240, 210, 90), RGB(230, 90, 40), RGB(150, 150, 150)};
constexpr COLORREF kGroove = RGB(25, 32, 45);
constexpr COLORREF kKnob = RGB(225, 230, 240);

QColor Q(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

QImage DemoBackground() {
  QImage image(480, 300, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient fade(0, 0, 0, 300);
  fade.setColorAt(0, QColor(40, 52, 72));
  fade.setColorAt(1, QColor(14, 18, 28));
  p.fillRect(image.rect(), fade);
  p.fillRect(0, 0, 480, 40, QColor(52, 70, 100));
  p.fillRect(0, 40, 480, 1, QColor(90, 120, 160));
  p.setPen(Qt::white);
  p.drawText(QRect(16, 0, 300, 40), Qt::AlignVCenter, "Skinned dialog");
  p.setPen(QColor(150, 170, 200));
  p.drawText(QRect(20, 156, 300, 20), Qt::AlignVCenter, "Position");
  p.drawText(QRect(20, 206, 300, 20), Qt::AlignVCenter, "Time range");
  return image;
}

QImage ButtonFrames() {
  QImage image(360, 32, QImage::Format_RGB32);
  QPainter p(&image);
  for (int i = 0; i < 4; ++i) {
    p.fillRect(i * 90, 0, 90, 32, Q(kFaces[i]).darker(170));
    p.fillRect(i * 90 + 1, 1, 88, 30, Q(kFaces[i]));
  }
  return image;
}

QImage RoundFrames() {
  QImage image(200, 40, QImage::Format_RGB32);
  QPainter p(&image);
  for (int i = 0; i < 4; ++i) p.fillRect(i * 40, 0, 40, 40, Q(kRounds[i]));
  p.fillRect(160, 0, 40, 40, Qt::white);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawEllipse(160, 0, 40, 40);
  return image;
}

// Tracks of `count` frames, horizontal (length x 20) or vertical (20 x length), with a groove.
QImage Track(int length, bool vertical) {
  const int w = vertical ? 20 : length;
  const int h = vertical ? length : 20;
  QImage image(w * 4, h, QImage::Format_RGB32);
  QPainter p(&image);
  const QColor grooves[] = {QColor(90, 110, 140), QColor(120, 150, 190), QColor(150, 190, 240), QColor(80, 80, 80)};
  for (int i = 0; i < 4; ++i) {
    p.fillRect(i * w, 0, w, h, Q(kGroove));
    if (vertical) {
      p.fillRect(i * w + 8, 0, 4, h, grooves[i]);
    } else {
      p.fillRect(i * w, 8, w, 4, grooves[i]);
    }
  }
  return image;
}

QImage Knob(int w, int h, COLORREF face) {
  QImage image = Solid(w, h, face);
  QPainter p(&image);
  p.setPen(Q(face).darker(160));
  p.drawRect(0, 0, w - 1, h - 1);
  return image;
}

class DemoDialog : public CVxSkinDialog {
 public:
  DemoDialog() : CVxSkinDialog(kDemoTemplate, nullptr) {}

  BOOL OnInitDialog() override {
    CVxSkinDialog::OnInitDialog();
    SetSkin(kDemoBackground);
    for (CVxSkinButton* b : {&normal, &hover, &pressed, &disabled, &checked}) b->SetSkin(kDemoButtons, 0);
    for (CVxSkinButton& r : rounds) r.SetSkin(kDemoRound, 0, FALSE, 0, TRUE);
    position.SetSkin(kDemoTrack, 0);
    position.SetThumbBitmap(kDemoThumb);
    position.SetRange(0, 100);
    position.SetNotifyCode(kSliderSeek);
    range.SetSkin(kDemoTrack, 0);
    range.SetThumbBitmap(0, kDemoStart);
    range.SetThumbBitmap(1, kDemoEnd);
    range.SetNotifyCode(kSliderTimeRange);
    range.SetRange(0, 1000);
    volume.SetSkin(kDemoColumn, 0);
    volume.SetThumbBitmap(kDemoKnob);
    volume.SetVertical(TRUE);
    volume.SetRange(0, 27);
    volume.SetNotifyCode(kSliderVolume);
    return TRUE;
  }

  CVxSkinButton normal, hover, pressed, disabled, checked;
  CVxSkinButton rounds[3];
  CVxSkinSldButton position, volume;
  CVxSkinSldButton2 range;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, 1001, normal);
    DDX_Control(dx, 1002, hover);
    DDX_Control(dx, 1003, pressed);
    DDX_Control(dx, 1004, disabled);
    DDX_Control(dx, 1005, checked);
    for (int i = 0; i < 3; ++i) DDX_Control(dx, 1006 + i, rounds[i]);
    DDX_Control(dx, 1010, position);
    DDX_Control(dx, 1011, range);
    DDX_Control(dx, 1012, volume);
  }
};

}  // namespace

TEST_F(SkinDialogTest, ARenderedDialogShowsEveryButtonStateAndBothSliderKinds) {
  Register(kDemoBackground, DemoBackground());
  Register(kDemoButtons, ButtonFrames());
  Register(kDemoRound, RoundFrames());
  Register(kDemoTrack, Track(360, false));
  Register(kDemoThumb, Knob(14, 20, kKnob));
  Register(kDemoStart, Knob(10, 20, RGB(80, 200, 120)));
  Register(kDemoEnd, Knob(10, 20, RGB(230, 80, 80)));
  Register(kDemoColumn, Track(200, true));
  Register(kDemoKnob, Knob(20, 12, kKnob));

  DemoDialog dlg;
  ASSERT_TRUE(dlg.Create(kDemoTemplate));
  dlg.position.SetPos(35);
  dlg.range.SetPos(0, 250);
  dlg.range.SetPos(1, 700);
  dlg.volume.SetPos(18);
  dlg.disabled.EnableWindow(FALSE);
  dlg.checked.SetCheck(BST_CHECKED);
  dlg.rounds[1].SetCheck(BST_CHECKED);
  dlg.pressed.SetFocus();
  Key(WM_KEYDOWN, VK_SPACE);  // held down: pushed
  Mouse(&dlg.hover, WM_MOUSEMOVE, {45, 16});
  Pump();

  const QImage shot = plat::test::Grab(&dlg);
  plat::test::SavePng(shot, "controls-skin-dialog");
  EXPECT_EQ(At(shot, 24, 64), kFaces[0]);   // normal
  EXPECT_EQ(At(shot, 124, 64), kFaces[1]);  // hover
  EXPECT_EQ(At(shot, 224, 64), kFaces[2]);  // pressed
  EXPECT_EQ(At(shot, 324, 64), kFaces[3]);  // disabled
  EXPECT_EQ(At(shot, 24, 114), kFaces[2]);  // checked
  EXPECT_EQ(At(shot, 160, 126), kRounds[0]);
  EXPECT_EQ(At(shot, 220, 126), kRounds[2]);  // the checked radio
  EXPECT_EQ(At(shot, 141, 107), At(DemoBackground(), 141, 107));  // round buttons show the dialog beneath
  EXPECT_EQ(At(shot, 20 + 121 + 7, 190), kKnob);                     // (360 - 14) x 0.35
  EXPECT_EQ(At(shot, 20 + 87 + 5, 240), RGB(80, 200, 120));           // (360 - 10) x 0.25
  EXPECT_EQ(At(shot, 20 + 245 + 5 + 5, 240), RGB(230, 80, 80));       // (360 - 10) x 0.7, drawn 5 right
  EXPECT_EQ(At(shot, 440, 60 + 200 - 12 - 133 + 6), kKnob);          // 200 x 18 / 27 up from the bottom
  Key(WM_KEYUP, VK_SPACE);
}
