#include "settings/DialogTexts.h"

#include "platform/wnd/Wnd.h"
#include "settings/AppConfig.h"

void TranslateDialogTexts(CWnd& dialog, std::initializer_list<int> items) {
  dialog.SetWindowText(LoadLanguageString(dialog.GetWindowText()));
  for (int id : items) {
    if (CWnd* item = dialog.GetDlgItem(id)) item->SetWindowText(LoadLanguageString(item->GetWindowText()));
  }
}
