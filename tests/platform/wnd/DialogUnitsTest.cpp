#include <gtest/gtest.h>

#include <QDir>

#include "platform/wnd/Dialog.h"
#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/PaintDC.h"
#include "tests/support/TestHarness.h"

namespace {

CRect InDialog(const CDialog& dlg, int id) {
  CRect rc;
  dlg.GetDlgItem(id)->GetWindowRect(&rc);
  dlg.ScreenToClient(&rc);
  return rc;
}

}  // namespace

TEST(DialogUnitsTest, ATemplateInDialogUnitsGetsPixelsFromTheDialogFontSoThatItsTextsFit) {
  plat::test::Reset();
  plat::test::SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(100, 100, 900, 700)));
  const CSize base = plat::DialogBaseUnits();
  EXPECT_TRUE(base.cx >= 5 && base.cx <= 9 && base.cy >= 12 && base.cy <= 20) << base.cx << "x" << base.cy;
  const auto pixels = [base](int x, int y, int cx, int cy) {
    const CPoint at(MulDiv(x, base.cx, 4), MulDiv(y, base.cy, 8));
    return CRect(at, CSize(MulDiv(cx, base.cx, 4), MulDiv(cy, base.cy, 8)));
  };

  CDialog dlg;
  ASSERT_TRUE(dlg.Create(904, &owner));  // the version dialog's layout, in dialog units
  CRect client;
  dlg.GetClientRect(&client);
  EXPECT_EQ(client, pixels(0, 0, 212, 73));
  EXPECT_EQ(InDialog(dlg, 1120), pixels(10, 10, 44, 10));
  EXPECT_EQ(InDialog(dlg, 1122), pixels(62, 28, 143, 10));
  for (int id : {1120, 1121}) {
    CWnd* label = dlg.GetDlgItem(id);
    CClientDC dc(label);
    dc.SelectObject(label->GetFont());
    const CSize text = dc.GetTextExtent(label->GetWindowText());
    EXPECT_LE(text.cx, InDialog(dlg, id).Width()) << id;
    EXPECT_LE(text.cy, InDialog(dlg, id).Height()) << id;
  }
  EXPECT_FALSE(plat::ParseDialogTemplate(R"({"style": "WS_POPUP", "rect": [0, 0, 9, 9], "units": "inch"})"));
}

// The program finds its templates in its own resources: every file of rc/dialogs, by its id (this
// test program adds its own templates beside them).
TEST(DialogUnitsTest, EveryTemplateOfTheResourceFolderIsBuiltInAndLoads) {
  plat::LoadDialogTemplate(0);  // the layer registers its built-in templates on first use
  const QStringList files = QDir(PLAYER_RC_DIALOGS).entryList({"*.json"}, QDir::Files, QDir::Name);
  QStringList builtIn = files + QDir(PLAYER_WND_TEST_DIALOGS).entryList({"*.json"}, QDir::Files);
  builtIn.sort();
  EXPECT_EQ(QDir(":/dialogs").entryList({"*.json"}, QDir::Files, QDir::Name), builtIn);
  for (const QString& name : files) {
    bool named = false;
    const UINT id = name.chopped(5).toUInt(&named);
    EXPECT_TRUE(named) << name.toStdString() << " is not named after its template id";
    EXPECT_TRUE(plat::LoadDialogTemplate(id).has_value()) << name.toStdString();
  }
}
