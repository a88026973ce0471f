#include "ui/GenGMapKey.h"

#include <algorithm>

#include "platform/wnd/MessageBox.h"
#include "platform/wnd/PaintDC.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"
#include "settings/DialogTexts.h"
#include "ui/MapPage.h"

BOOL CGenGMapKey::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kKeyLabel, IDOK, IDCANCEL});
  FitKeyLabel();
  return TRUE;
}

// The label shows its text whole: a longer translation widens it, and the key's box gives way on
// its left, keeping the gap between them.
void CGenGMapKey::FitKeyLabel() {
  CWnd* label = GetDlgItem(kKeyLabel);
  CWnd* edit = GetDlgItem(kKeyEdit);
  if (label == nullptr || edit == nullptr) return;
  CClientDC dc(label);
  CFont* old = dc.SelectObject(label->GetFont());
  const int needed = dc.GetTextExtent(label->GetWindowText()).cx;
  dc.SelectObject(old);
  CRect text, box;
  label->GetWindowRect(&text);
  edit->GetWindowRect(&box);
  ScreenToClient(&text);
  ScreenToClient(&box);
  if (needed <= text.Width()) return;
  const int gap = box.left - text.right;
  text.right = text.left + needed;
  box.left = std::min(text.right + gap, box.right);
  label->MoveWindow(&text);
  edit->MoveWindow(&box);
}

void CGenGMapKey::OnOK() {
  const CString path = app::MapPagePath();
  CString text;
  if (CWnd* edit = GetDlgItem(kKeyEdit)) edit->GetWindowText(text);
  text.Trim();  // a key copied from a web page often brings a space or a line end along
  const std::string key = text.Left(mappage::kMaxKeyLength).ToUtf8();
  mappage::MakeDirectories(path);
  if (key.empty()) {
    AfxMessageBox(LoadLanguageString(L"Please input Google Map Key."), MB_OK);
    return;
  }
  if (mappage::WriteMapPage(mappage::kTemplateResource, path, key)) {
    AfxMessageBox(LoadLanguageString(L"Import Google Map key Successfully, please restart the program."),
                  MB_ICONINFORMATION);
  } else if (!mappage::IsValidKey(key)) {
    // The key goes into the page's script address, where another character could break it.
    AfxMessageBox(LoadLanguageString(L"Import Google Map key Fail.") + L"\n" +
                      LoadLanguageString(L"A map key holds only letters, digits, hyphens and underscores."),
                  MB_OK);
  } else {
    AfxMessageBox(LoadLanguageString(L"Import Google Map key Fail."), MB_OK);
  }
  CDialog::OnOK();
}
