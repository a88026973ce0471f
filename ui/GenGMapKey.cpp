#include "ui/GenGMapKey.h"

#include "app/AppConfig.h"
#include "app/AppPaths.h"
#include "platform/wnd/MessageBox.h"
#include "ui/MapPage.h"

BOOL CGenGMapKey::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(LoadLanguageString(L"Input Google Map Key"));
  if (CWnd* label = GetDlgItem(kKeyLabel)) label->SetWindowText(LoadLanguageString(L"Google Map Key : "));
  return TRUE;
}

void CGenGMapKey::OnOK() {
  const CString path = app::MapPagePath();
  CString text;
  if (CWnd* edit = GetDlgItem(kKeyEdit)) edit->GetWindowText(text);
  const std::string key = text.Left(mappage::kMaxKeyLength).ToUtf8();
  mappage::MakeDirectories(path);
  if (key.empty()) {
    AfxMessageBox(LoadLanguageString(L"Please input Google Map Key."), MB_OK);
    return;
  }
  if (mappage::WriteMapPage(mappage::kTemplateResource, path, key)) {
    AfxMessageBox(LoadLanguageString(L"Import Google Map key Successfully, please restart the program."),
                  MB_ICONINFORMATION);
  } else {
    AfxMessageBox(LoadLanguageString(L"Import Google Map key Fail."), MB_OK);
  }
  CDialog::OnOK();
}
