// The map key import: the dialog asks for a key, writes the template with it as mapdlg.htm in the
// settings folder, and refuses what could not stand in the page's script address.
#include <QDir>
#include <QFile>

#include "settings/AppPaths.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/ui/map/MapTestSupport.h"
#include "ui/GenGMapKey.h"
#include "ui/MapPage.h"

namespace {

class MapKeyTest : public maptest::MapFolderTest {
 protected:
  // Runs the dialog, typing each key in turn and pressing OK; -1 when it was still open after the
  // last key.
  INT_PTR Import(const std::vector<CString>& keys) {
    CGenGMapKey dlg(&parent);
    for (const CString& key : keys) {
      plat::test::WhileModal([&dlg, key] {
        dlg.GetDlgItem(CGenGMapKey::kKeyEdit)->SetWindowText(key);
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
      });
    }
    return dlg.DoModal();
  }
  static QByteArray Page(const CString& path = app::MapPagePath()) {
    QFile file(QString::fromStdWString(path.GetString()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
};

}  // namespace

TEST_F(MapKeyTest, AKeyGoesOnceBeforeTheVersionQueryAndWhatCouldBreakThePageIsRefused) {
  EXPECT_EQ(Import({L"", L"Ab-9_z"}), IDOK);  // without a key the dialog asks again
  const QByteArray page = mappage::TemplateBytes(mappage::kTemplateResource);
  EXPECT_EQ(Page(), QByteArray(page).insert(page.indexOf("v=3."), "key=Ab-9_z&"));
  EXPECT_EQ(Import({L"Second"}), IDOK);
  EXPECT_EQ(Page().count("key="), 1);
  const QByteArray cut = "?key=" + QByteArray(63, 'k') + "&v=3.";
  EXPECT_EQ(Import({CString(std::wstring(70, L'k').c_str())}), IDOK);
  EXPECT_TRUE(Page().contains(cut));
  EXPECT_EQ(Import({L"a\"onload=\"x"}), IDOK);
  EXPECT_EQ(Import({L"<b>"}), IDOK);
  EXPECT_TRUE(Page().contains(cut));  // the page written before stays
  EXPECT_EQ(Import({L" \tPasted-Key_1 \r\n"}), IDOK);  // as copied from a web page
  EXPECT_TRUE(Page().contains("?key=Pasted-Key_1&v=3."));

  std::vector<CString> boxes;
  for (const auto& box : plat::test::MessageBoxes()) boxes.push_back(box.text);
  const CString done = L"Import Google Map key Successfully, please restart the program.";
  const CString refused = L"Import Google Map key Fail.\nA map key holds only letters, digits, hyphens and underscores.";
  EXPECT_EQ(boxes, (std::vector<CString>{L"Please input Google Map Key.", done, done, done, refused, refused, done}));

  const CString other = CString(folder.filePath("deeper/folder/mapdlg.htm").toStdWString());
  EXPECT_FALSE(mappage::WriteKeyedPage("<script src=\"https://maps.googleapis.com/maps/api/js\"></script>", other,
                                       "K"));
  EXPECT_FALSE(mappage::WriteMapPage(252, other, "K"));
  EXPECT_FALSE(mappage::WriteMapPage(mappage::kTemplateResource, other, "K"));  // no such folder yet
  EXPECT_TRUE(mappage::MakeDirectories(other));
  EXPECT_TRUE(mappage::WriteMapPage(mappage::kTemplateResource, other, "K"));
  EXPECT_TRUE(Page(other).contains("?key=K&v=3."));
}

// An installed program cannot write its own folder: the key goes into the settings folder's page,
// which the map page opens at the next start.
TEST_F(MapKeyTest, AnInstalledProgramWritesTheKeyedPageInTheSettingsFolderAndLoadsItNextTime) {
  const QString program = folder.filePath("program/");
  const QString settings = folder.filePath("settings/");
  ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(settings));
  ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
  g_appConfig.SetFolders(
      {CString(program.toStdWString()), CString(settings.toStdWString()), CString((program + "Language/").toStdWString())});
  EXPECT_EQ(Import({L"Installed"}), IDOK);
  EXPECT_EQ(plat::test::MessageBoxes().back().text,
            L"Import Google Map key Successfully, please restart the program.");
  const CString page = CString((settings + "mapdlg.htm").toStdWString());
  EXPECT_TRUE(Page(page).contains("?key=Installed&v=3."));
  EXPECT_FALSE(QFile::exists(program + "mapdlg.htm"));

  plat::test::FakeWebBrowsers fakes;
  dlg = std::make_unique<CMapDlg>(owner);
  ASSERT_TRUE(dlg->Create(&parent));
  EXPECT_EQ(fakes.Last()->navigations, std::vector<CString>{page});
}
