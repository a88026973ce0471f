#include "ui/VersionInfo.h"

#include <utility>

#include "settings/DialogTexts.h"

namespace {

constexpr int kFontHeight = 20;
constexpr BYTE kTraditionalChineseCharset = 136;
// The values' face; a face for traditional Chinese, as the dialog's character set asks.
constexpr wchar_t kFontFace[] = L"Noto Sans CJK TC";

}  // namespace

CVersionInfo::CVersionInfo(CWnd* parent) : CDialog(kTemplate, parent), main_(parent) {}

BOOL CVersionInfo::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kVersionTypeLabel, kVersionNameLabel});
  showState_ = kHidden;
  ShowWindow(SW_HIDE);
  font_.CreateFont(kFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, kTraditionalChineseCharset, 0, 0, 0, 0,
                   kFontFace);
  const std::pair<int, const wchar_t*> values[] = {{kVersionTypeItem, L"V1"}, {kVersionNameItem, L"VersionName????"}};
  for (const auto& [id, text] : values) {
    CWnd* item = GetDlgItem(id);
    if (item == nullptr) continue;
    item->SetFont(&font_);
    item->SetWindowText(text);
  }
  return TRUE;
}

void CVersionInfo::Toggle(int mode) {
  if (mode == -1) {
    showState_ = showState_ == kShown ? kHidden : kShown;
  } else if (mode == kHidden || mode == kShown) {
    showState_ = mode;
  }
  if (!m_hWnd) return;
  if (showState_ == kShown) CenterOnOwner();
  ShowWindow(showState_ == kShown ? SW_SHOW : SW_HIDE);
}

void CVersionInfo::CenterOnOwner() {
  if (main_ == nullptr || main_->GetSafeHwnd() == nullptr || !m_hWnd) return;
  CRect owner, own;
  main_->GetWindowRect(&owner);
  GetWindowRect(&own);
  const int x = (owner.left + owner.right) / 2 - own.Width() / 2;
  const int y = (owner.top + owner.bottom) / 2 - own.Height() / 2;
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CVersionInfo::OnCancel() {
  showState_ = kHidden;
  CDialog::OnCancel();
}
