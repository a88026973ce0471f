// What the main window's side panels share: the main window they serve, the rule by which their
// toggle shows and hides them, and the skinned buttons of their design, placed at their design
// rectangles with their skins (five frames with a mask, drawn unscaled) and translated tips.
// Panels are made hidden; their toggle shows them.
#pragma once

#include <initializer_list>
#include <map>
#include <span>

#include "controls/VxSkinButton.h"
#include "controls/VxSkinDialog.h"
#include "platform/wnd/ToolTipCtrl.h"
#include "ui/PanelLayout.h"

class CMainDlg;

class CSidePanel : public CVxSkinDialog {
 public:
  // Show states of the toggle.
  static constexpr int kHidden = 0;
  static constexpr int kShown = 5;

  CSidePanel(UINT templateId, CWnd* parent);

  // -1 toggles, 0 hides, any other value shows. A locked panel stays shown.
  virtual void Toggle(int mode);
  int GetShowState() const { return showState_; }
  bool IsLocked() const { return locked_; }

  BOOL OnInitDialog() override;

 protected:
  // The panel's background; the panel takes its size plus the extra, without moving.
  void TakeSkin(int bitmapId, CSize extra = CSize(0, 0));
  // Skins and places every control of the design except the listed ones, which the panel makes
  // into controls of their own kind and places itself.
  void PlaceButtons(std::span<const ui::PanelControl> controls, std::initializer_list<int> others = {});
  // One skinned button of the design.
  void AddButton(const ui::PanelControl& design);
  // Attaches a skinned control (a button or a slider) to its item of the template and gives it its
  // place, strip, tip and visibility of the design; false when the template lacks the item.
  bool AttachSkinned(CVxSkinButton& control, const ui::PanelControl& design);
  // The design of one control of the list; null when the list lacks it.
  static const ui::PanelControl* FindDesign(std::span<const ui::PanelControl> controls, int id);
  static void Place(CWnd& control, const ui::LayoutRect& rect);
  CVxSkinButton* Button(int id);
  // Runs when a locked panel is asked to hide: it stays shown.
  virtual void OnShownWhileLocked() {}

  CMainDlg* main_;
  int showState_ = kHidden;
  bool locked_ = false;
  CToolTipCtrl tooltip_;
  std::map<int, CVxSkinButton> buttons_;
};
