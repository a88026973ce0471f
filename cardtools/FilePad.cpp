#include "cardtools/FilePad.h"

#include "config/TimeZone.h"
#include "settings/DialogTexts.h"

namespace {

constexpr int kZoneLabel = 1001;

}  // namespace

FilePad::FilePad(CWnd* parent) : CDialog(kTemplate, parent) {}

void FilePad::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, kZoneList, zoneList_); }

BOOL FilePad::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kZoneLabel});
  const auto& rows = TimeZoneTable();
  for (size_t i = 1; i < rows.size() && !rows[i].name.IsEmpty(); ++i) zoneList_.AddString(rows[i].name);
  SelectOffset();
  return TRUE;
}

void FilePad::SetTimeZoneOffset(std::int32_t seconds) {
  offset_ = seconds;
  if (GetSafeHwnd()) SelectOffset();
}

void FilePad::SelectOffset() {
  const int row = TimeZoneIndexFromOffset(offset_ + 43200);
  zoneList_.SetCurSel(row > 0 ? row - 1 : -1);
}

std::int32_t FilePad::GetTimeZoneOffset() const {
  const int item = zoneList_.GetSafeHwnd() ? zoneList_.GetCurSel() : -1;
  if (item < 0) return offset_;
  return TimeZoneTable()[static_cast<size_t>(item) + 1].seconds;
}
