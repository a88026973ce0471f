#include "cardtools/FormatDlg.h"

#include "platform/wnd/MessageBox.h"
#include "settings/AppConfig.h"
#include "settings/DialogTexts.h"

namespace {

constexpr int kDriveLabel = 1003;
constexpr int kLanguageLabel = 1004;
constexpr int kNote = 1006;

}  // namespace

CFormatDlg::CFormatDlg(CWnd* parent) : CDialog(kTemplate, parent) {}

void CFormatDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, kLanguageList, languageList_);
  DDX_Control(dx, kProgressBar, progress_);
}

BOOL CFormatDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kDriveLabel, kLanguageLabel, kNote, IDCANCEL});
  ShowDriveNumber();
  FillLanguageList();
  return TRUE;
}

void CFormatDlg::SetDriveNumber(int driveNo) {
  driveNumber_ = driveNo;
  if (GetSafeHwnd()) ShowDriveNumber();
}

void CFormatDlg::ShowDriveNumber() {
  CString text = LoadLanguageString(L"No card");
  if (driveNumber_ >= 0) text.Format(L"%ls %d", LoadLanguageString(L"Drive").GetString(), driveNumber_);
  GetDlgItem(kDriveText)->SetWindowText(text);
}

void CFormatDlg::UpdateProgress() {
  if (GetSafeHwnd()) progress_.SetPos(0);
}

// English and every language whose file was found, by native name, the chosen one selected.
void CFormatDlg::FillLanguageList() {
  languageList_.ResetContent();
  for (UINT row = 0; row < kLanguageCount; ++row) {
    if (row != 0 && !g_appConfig.IsLanguageFileFound(row)) continue;
    const int item = languageList_.AddString(LanguageTable[row].nativeName);
    languageList_.SetItemData(item, row);
    if (row == g_appConfig.GetChosenLanguage()) languageList_.SetCurSel(item);
  }
}

void CFormatDlg::OnLanguageChosen() {
  const int item = languageList_.GetCurSel();
  if (item < 0) return;
  g_appConfig.SetChosenLanguage(static_cast<UINT>(languageList_.GetItemData(item)));
  AfxMessageBox(LoadLanguageString(L"After change language settings please restart program"), MB_OK | MB_ICONINFORMATION);
}

LRESULT CFormatDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && LOWORD(wParam) == kLanguageList && HIWORD(wParam) == CBN_SELCHANGE) OnLanguageChosen();
  return CDialog::WindowProc(msg, wParam, lParam);
}
