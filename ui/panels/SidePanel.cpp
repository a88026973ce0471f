#include "ui/panels/SidePanel.h"

#include <algorithm>

#include "app/AppConfig.h"
#include "platform/gdi/GdiQt.h"
#include "ui/MainDlg.h"

CSidePanel::CSidePanel(UINT templateId, CWnd* parent)
    : CVxSkinDialog(templateId, parent), main_(dynamic_cast<CMainDlg*>(parent)) {}

BOOL CSidePanel::OnInitDialog() {
  CVxSkinDialog::OnInitDialog();
  if (tooltip_.Create(this)) tooltip_.Activate(TRUE);
  showState_ = kHidden;
  return TRUE;
}

void CSidePanel::TakeSkin(int bitmapId, CSize extra) {
  if (!SetSkin(static_cast<UINT>(bitmapId))) return;
  const CSize size = GetSkinSize() + extra;
  SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSidePanel::Toggle(int mode) {
  if (locked_) {
    showState_ = kShown;
    OnShownWhileLocked();
  } else if (mode == -1) {
    showState_ = showState_ == kShown ? kHidden : kShown;
  } else {
    showState_ = mode == 0 ? kHidden : kShown;
  }
  if (m_hWnd) ShowWindow(showState_ == kShown ? SW_SHOW : SW_HIDE);
}

void CSidePanel::PlaceButtons(std::span<const ui::PanelControl> controls, std::initializer_list<int> others) {
  for (const ui::PanelControl& c : controls) {
    if (std::find(others.begin(), others.end(), c.id) == others.end()) AddButton(c);
  }
}

void CSidePanel::AddButton(const ui::PanelControl& design) {
  auto [it, made] = buttons_.try_emplace(design.id);
  if (made && !AttachSkinned(it->second, design)) buttons_.erase(it);
}

bool CSidePanel::AttachSkinned(CVxSkinButton& control, const ui::PanelControl& design) {
  if (!control.SubclassDlgItem(static_cast<UINT>(design.id), this)) return false;
  Place(control, design.rect);
  // Five frames, the last a mask. A strip that is not shipped (the speed units) leaves the
  // control plain.
  if (design.skin != 0 && plat::HasBitmapResource(static_cast<UINT>(design.skin))) {
    control.SetSkin(static_cast<UINT>(design.skin), 0, FALSE, 0, TRUE);
  }
  if (design.tooltip != nullptr && *design.tooltip != L'\0') {
    tooltip_.AddTool(&control, LoadLanguageString(design.tooltip));
  }
  control.ShowWindow(design.hidden ? SW_HIDE : SW_SHOW);
  control.Invalidate();
  return true;
}

const ui::PanelControl* CSidePanel::FindDesign(std::span<const ui::PanelControl> controls, int id) {
  for (const ui::PanelControl& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

void CSidePanel::Place(CWnd& control, const ui::LayoutRect& rect) {
  control.MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), FALSE);
}

CVxSkinButton* CSidePanel::Button(int id) {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : &it->second;
}
