// What the main window's side panels share: the main window they serve, the rule by which their
// toggle shows and hides them, the skinned buttons of their design, placed at their design
// rectangles with their skins (five frames with a mask, drawn unscaled) and translated tips, their
// window region and layered look, and the ways they hand the user's actions to the main window.
// Panels are made hidden; their toggle shows them. Every panel works without a main window or an
// engine: what it would hand on is then dropped.
#pragma once

#include <initializer_list>
#include <map>
#include <span>

#include "controls/VxSkinButton.h"
#include "controls/VxSkinDialog.h"
#include "controls/VxSkinSldButton2.h"
#include "layout/PanelLayout.h"
#include "platform/wnd/ToolTipCtrl.h"
#include "ui/TransportCtrl.h"

class CMainDlg;
class IIbpCtrl;

class CSidePanel : public CVxSkinDialog {
 public:
  // Show states of the toggle.
  static constexpr int kHidden = 0;
  static constexpr int kShown = 5;

  // The window region: the window's rectangle less `inset` at the top and left and `farInset` at
  // the right and bottom, its corners rounded by an ellipse of that size (0: square). It is set
  // again after every size change, since the skinned dialog sets its own then.
  struct RegionShape {
    int inset = 0;
    int farInset = 0;
    int ellipse = 0;
  };

  CSidePanel(UINT templateId, CWnd* parent);
  ~CSidePanel() override;
  CSidePanel(const CSidePanel&) = delete;
  CSidePanel& operator=(const CSidePanel&) = delete;

  static constexpr int kLockButton = 1762;
  static constexpr int kUnlockButton = 1763;

  // -1 toggles, 0 hides, any other value shows. A locked panel stays shown, and the video control
  // panel's range and position sliders give way to it.
  virtual void Toggle(int mode);
  // Hides the panel, locked or not (its Close button).
  void HidePanel();
  // Shows the panel centred just below the anchor (screen coordinates), the top of its region on
  // the anchor's bottom edge, so that the pointer goes from the anchor straight into it.
  void ShowBelow(const CRect& anchor);
  int GetShowState() const { return showState_; }
  bool IsLocked() const { return locked_; }

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

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
  void ShowButton(int id, bool show);
  // A click on one of the panel's buttons; false leaves it unhandled. The lock and unlock buttons
  // (1762, 1763) of the panels that have them are handled here.
  virtual bool OnButton(int /*id*/) { return false; }

  void SetRegionShape(const RegionShape& shape);
  // A spot of the video control panel's background, drawn for the panels' common look, that shows
  // only the panels' plain colour; and that colour.
  static constexpr int kPlainSpotX = 240;
  static constexpr int kPlainSpotY = 20;
  COLORREF PlainPanelColour() { return PanelSkinColour(kPlainSpotX, kPlainSpotY); }
  // The colour of that background at a point (its edge at x 0).
  COLORREF PanelSkinColour(int x, int y);
  // The layered look: the whole panel translucent (LWA_ALPHA) or its pixels of the key colour
  // see-through (LWA_COLORKEY).
  void SetLayeredLook(COLORREF key, BYTE alpha, DWORD flags);

  // The main window's engine; null without either.
  IIbpCtrl* Engine() const;
  // The panel shows what the main window's transport controller holds from now on, until it goes.
  void ObserveTransport(ITransportObserver* observer);
  // The click reaches the main window as a click of its own button with that id.
  void ClickMainButton(int id) const;
  // A message of the slider protocol (or another of the main window's own) handed to the main
  // window at once; 0 without one.
  LRESULT SendToMain(UINT msg, WPARAM wParam, LPARAM lParam) const;
  // The MarkBar's thumbs and its active thumb become those of the main window's range slider, so
  // that the main window sees the panel's last range before it handles a slider message.
  void HandRangeToMain(CVxSkinSldButton2& markBar) const;
  // Tells the main window that the user did something (it keeps its caption panel in view).
  void NoteActivity() const;

  CMainDlg* main_;
  int showState_ = kHidden;
  bool locked_ = false;
  CToolTipCtrl tooltip_;
  std::map<int, CVxSkinButton> buttons_;

 private:
  void ApplyRegion();
  // A panel that shows lies within its main window where it fits, and on the screen.
  void KeepOverMainWindow();
  bool OnLockButton(int id);
  void HideVideoPanelSliders();

  RegionShape region_;
  bool hasRegion_ = false;
  ITransportObserver* transportObserver_ = nullptr;
};
