// A small dialog from a template with standard controls and an owner-drawn button, rendered
// headless to a PNG for a person to look at.
#include <gtest/gtest.h>

#include "platform/gdi/Dc.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/DateTimeCtrl.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ListCtrl.h"
#include "platform/wnd/ProgressCtrl.h"
#include "tests/support/TestHarness.h"

using plat::test::Mouse;

namespace {

constexpr COLORREF kFace = RGB(32, 96, 160);
constexpr COLORREF kPressed = RGB(16, 48, 96);

// A flat coloured button with a raised or sunken edge and white text.
class FlatButton : public CButton {
 public:
  void DrawItem(LPDRAWITEMSTRUCT item) override {
    CDC* dc = CDC::FromHandle(item->hDC);
    CRect rc(item->rcItem);
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    dc->FillSolidRect(&rc, pressed ? kPressed : kFace);
    dc->DrawEdge(&rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    CRect text(item->rcItem);
    if (pressed) text.OffsetRect(1, 1);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(255, 255, 255));
    dc->DrawText(GetWindowText(), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item->itemState & ODS_FOCUS) {
      CRect focus(item->rcItem);
      focus.DeflateRect(4, 4);
      dc->DrawFocusRect(&focus);
    }
  }
};

class DemoDialog : public CDialog {
 public:
  explicit DemoDialog(CWnd* parent) : CDialog(900, parent) {}

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    auto* drives = static_cast<CComboBox*>(GetDlgItem(1101));
    drives->AddString(L"/media/driver/CARD");
    drives->AddString(L"/media/driver/SPARE");
    drives->SetCurSel(0);
    CheckRadioButton(1050, 1051, 1050);
    static_cast<CButton*>(GetDlgItem(1125))->SetCheck(BST_CHECKED);
    auto* list = static_cast<CListCtrl*>(GetDlgItem(1130));
    list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    list->InsertColumn(0, L"Record time", LVCFMT_LEFT, 150);
    list->InsertColumn(1, L"Length", LVCFMT_RIGHT, 90);
    const wchar_t* rows[][2] = {{L"2024-03-01 08:12", L"00:05:00"}, {L"2024-03-01 08:17", L"00:04:12"},
                                {L"2024-03-01 17:40", L"00:05:00"}};
    for (int i = 0; i < 3; ++i) {
      list->InsertItem(i, rows[i][0]);
      list->SetItemText(i, 1, rows[i][1]);
    }
    list->SetCheck(0);
    list->SetCheck(2);
    list->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    static_cast<CDateTimeCtrl*>(GetDlgItem(1141))->SetTime(1709280720);
    static_cast<CProgressCtrl*>(GetDlgItem(1150))->SetPos(60);
    return TRUE;
  }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND && LOWORD(wParam) == 1113 && HIWORD(wParam) == BN_CLICKED) ++backups;
    return CDialog::WindowProc(msg, wParam, lParam);
  }

  FlatButton backup;
  int backups = 0;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1113, backup); }
};

}  // namespace

TEST(DemoDialogTest, ADialogFromATemplateRendersItsControlsAndItsOwnerDrawnButton) {
  plat::test::Reset();
  setenv("TZ", "UTC", 1);
  tzset();
  plat::test::SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 600, 500)));
  DemoDialog dlg(&owner);
  ASSERT_TRUE(dlg.Create(900, &owner));
  plat::test::Pump();

  const QImage shown = plat::test::Grab(&dlg);
  ASSERT_EQ(shown.size(), QSize(440, 330));
  EXPECT_FALSE(plat::test::SavePng(shown, "wnd-demo-dialog").isEmpty());
  // The owner-drawn button's face, inside its raised edge; the dialog's face around it.
  EXPECT_EQ(shown.pixel(12 + 60, 250 + 30), qRgb(GetRValue(kFace), GetGValue(kFace), GetBValue(kFace)));
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  EXPECT_EQ(shown.pixel(6, 240), qRgb(GetRValue(face), GetGValue(face), GetBValue(face)));
  EXPECT_EQ(dlg.backup.GetWindowText(), L"Backup");

  // Pressed, the button shows its pressed face; released over it, the dialog hears the click.
  Mouse(&dlg.backup, WM_LBUTTONDOWN, {10, 10});
  const QImage pressed = plat::test::Grab(&dlg);
  EXPECT_EQ(pressed.pixel(12 + 60, 250 + 30), qRgb(GetRValue(kPressed), GetGValue(kPressed), GetBValue(kPressed)));
  EXPECT_FALSE(plat::test::SavePng(pressed, "wnd-demo-dialog-pressed").isEmpty());
  Mouse(&dlg.backup, WM_LBUTTONUP, {10, 10});
  EXPECT_EQ(dlg.backups, 1);
  dlg.DestroyWindow();
}
