// CMenu: a pop-up menu of text items, some of them ticked, shown at a screen point until the user
// chooses an item or leaves it. Shown through an injectable service (Qt's menus by default), so
// that tests can answer it.
#pragma once

#include <vector>

#include "platform/Geometry.h"
#include "platform/Message.h"
#include "platform/String.h"
#include "platform/Types.h"

class CWnd;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_RETURNCMD = 0x0100;

namespace plat {

struct MenuItem {
  UINT flags = MF_STRING;
  UINT_PTR id = 0;
  CString text;
};

class IPopupMenus {
 public:
  virtual ~IPopupMenus() = default;
  // Shows the items at the screen point (its left edge there, or its right edge with
  // TPM_RIGHTALIGN); the id of the chosen item, 0 when none was chosen.
  virtual UINT_PTR Track(HWND owner, const std::vector<MenuItem>& items, CPoint at, UINT flags) = 0;
};

// Installs a menu service (null: Qt's menus again); returns the previous one.
IPopupMenus* SetPopupMenus(IPopupMenus* menus);

}  // namespace plat

class CMenu {
 public:
  BOOL CreatePopupMenu();
  // A text item (MF_STRING, with MF_CHECKED ticked) or a separator (MF_SEPARATOR).
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCWSTR text = nullptr);
  UINT GetMenuItemCount() const { return static_cast<UINT>(items_.size()); }
  // Runs the menu at the screen point. With TPM_RETURNCMD the chosen item's id is returned (0 for
  // none); otherwise the choice reaches the owner as WM_COMMAND and the result says whether there
  // was one.
  UINT_PTR TrackPopupMenu(UINT flags, int x, int y, CWnd* owner);

 private:
  bool created_ = false;
  std::vector<plat::MenuItem> items_;
};
