#include "config/dialogs/TabConfigDlg.h"

#include "settings/AppConfig.h"
#include "settings/DialogTexts.h"

namespace {

constexpr int kSpeedLabel = 1003;
constexpr int kTemperatureLabel = 1004;
constexpr int kNote = 1005;

int UnitOrFirst(int unit, int count) { return unit >= 0 && unit < count ? unit : 0; }

}  // namespace

TabConfigDlg::TabConfigDlg(CWnd* parent) : CDialog(kTemplate, parent) {}

void TabConfigDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, kSpeedUnitList, speedList_);
  DDX_Control(dx, kTemperatureUnitList, temperatureList_);
}

void TabConfigDlg::SetUnits(int speedUnit, int temperatureUnit) {
  speedUnit_ = UnitOrFirst(speedUnit, kSpeedUnits);
  temperatureUnit_ = UnitOrFirst(temperatureUnit, kTemperatureUnits);
}

BOOL TabConfigDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kSpeedLabel, kTemperatureLabel, kNote, IDOK, IDCANCEL});
  if (!caption_.IsEmpty()) SetWindowText(GetWindowText() + L" - " + caption_);
  for (const wchar_t* unit : {L"km/h", L"mph", L"knots"}) speedList_.AddString(LoadLanguageString(unit));
  for (const wchar_t* unit : {L"\u00B0C", L"\u00B0F"}) temperatureList_.AddString(unit);
  speedList_.SetCurSel(speedUnit_);
  temperatureList_.SetCurSel(temperatureUnit_);
  return TRUE;
}

void TabConfigDlg::OnOK() {
  SetUnits(speedList_.GetCurSel(), temperatureList_.GetCurSel());
  CDialog::OnOK();
}
