#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/gdi/Dc.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/TestHarness.h"

using plat::test::SpyWnd;

namespace {

constexpr UINT kVersionTemplate = 904;  // laid out in dialog units, as the version dialog is

CRect InDialog(const CDialog& dlg, int id) {
  CRect rc;
  dlg.GetDlgItem(id)->GetWindowRect(&rc);
  dlg.ScreenToClient(&rc);
  return rc;
}

CRect Pixels(CSize base, int x, int y, int cx, int cy) {
  const CPoint at(MulDiv(x, base.cx, 4), MulDiv(y, base.cy, 8));
  return CRect(at, CSize(MulDiv(cx, base.cx, 4), MulDiv(cy, base.cy, 8)));
}

}  // namespace

TEST(DialogUnitsTest, ATemplateInDialogUnitsGetsPixelsFromTheDialogFontSoThatItsTextsFit) {
  plat::test::Reset();
  SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(100, 100, 900, 700)));
  const CSize base = plat::DialogBaseUnits();
  EXPECT_GE(base.cx, 5);
  EXPECT_LE(base.cx, 9);
  EXPECT_GE(base.cy, 12);
  EXPECT_LE(base.cy, 20);

  CDialog dlg;
  ASSERT_TRUE(dlg.Create(kVersionTemplate, &owner));
  CRect client;
  dlg.GetClientRect(&client);
  EXPECT_EQ(client.Size(), CSize(MulDiv(212, base.cx, 4), MulDiv(73, base.cy, 8)));
  EXPECT_EQ(InDialog(dlg, 1120), Pixels(base, 10, 10, 44, 10));
  EXPECT_EQ(InDialog(dlg, 1122), Pixels(base, 62, 28, 143, 10));
  EXPECT_EQ(dlg.GetExStyle() & WS_EX_APPWINDOW, WS_EX_APPWINDOW);

  // The labels were laid out for the dialog font: in pixels their texts still fit.
  for (int id : {1120, 1121}) {
    CWnd* label = dlg.GetDlgItem(id);
    CClientDC dc(label);
    dc.SelectObject(label->GetFont());
    const CSize text = dc.GetTextExtent(label->GetWindowText());
    EXPECT_LE(text.cx, InDialog(dlg, id).Width()) << id;
    EXPECT_LE(text.cy, InDialog(dlg, id).Height()) << id;
  }

  // Each position and size is rounded on its own, as MulDiv rounds; pixel templates stay as written.
  plat::DialogTemplate t;
  t.dialogUnits = true;
  t.rect = CRect(1, 1, 4, 9);
  t.items.push_back({1, L"Static", 0, 0, CRect(-2, 3, 5, 4), CString()});
  plat::ConvertDialogUnits(t, CSize(6, 13));
  EXPECT_EQ(t.rect, CRect(2, 2, 7, 15));
  EXPECT_EQ(t.items[0].rect, CRect(-3, 5, 8, 7));
  plat::ConvertDialogUnits(t, CSize(6, 13));
  EXPECT_EQ(t.rect, CRect(2, 2, 7, 15));
  QString error;
  EXPECT_FALSE(plat::ParseDialogTemplate(R"({"style": "WS_POPUP", "rect": [0, 0, 9, 9], "units": "inch"})", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(plat::ParseStyle("WS_EX_LAYERED | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SHELLFONT"),
            WS_EX_LAYERED | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS);
}

// The program finds its templates in its own resources: every file of rc/dialogs, by its id.
TEST(DialogUnitsTest, EveryTemplateOfTheResourceFolderIsBuiltInAndLoads) {
  plat::LoadDialogTemplate(0);  // the layer registers its built-in templates on first use
  const QStringList files = QDir(PLAYER_RC_DIALOGS).entryList({"*.json"}, QDir::Files, QDir::Name);
  EXPECT_EQ(QDir(":/dialogs").entryList({"*.json"}, QDir::Files, QDir::Name), files);
  for (const QString& name : files) {
    bool named = false;
    const UINT id = name.chopped(5).toUInt(&named);
    EXPECT_TRUE(named) << name.toStdString() << " is not named after its template id";
    EXPECT_TRUE(plat::LoadDialogTemplate(id).has_value()) << name.toStdString();
  }
}
