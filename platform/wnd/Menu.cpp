#include "platform/wnd/Menu.h"

#include <QAction>
#include <QMenu>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

class QtPopupMenus : public IPopupMenus {
 public:
  UINT_PTR Track(HWND owner, const std::vector<MenuItem>& items, CPoint at, UINT flags) override {
    Window* w = WindowOf(owner);
    QMenu menu(w ? w->TopLevel()->widget.data() : nullptr);
    std::vector<std::pair<QAction*, UINT_PTR>> actions;
    for (const MenuItem& item : items) {
      if (item.flags & MF_SEPARATOR) {
        menu.addSeparator();
        continue;
      }
      QAction* action = menu.addAction(ToQString(item.text));
      action->setCheckable(true);
      action->setChecked((item.flags & MF_CHECKED) != 0);
      actions.emplace_back(action, item.id);
    }
    QPoint point(at.x, at.y);
    if (flags & TPM_RIGHTALIGN) point.rx() -= menu.sizeHint().width();
    const QAction* chosen = menu.exec(point);
    for (const auto& [action, id] : actions) {
      if (action == chosen) return id;
    }
    return 0;
  }
};

IPopupMenus* g_menus = nullptr;

}  // namespace

IPopupMenus* SetPopupMenus(IPopupMenus* menus) {
  IPopupMenus* old = g_menus;
  g_menus = menus;
  return old;
}

}  // namespace plat

BOOL CMenu::CreatePopupMenu() {
  if (created_) return FALSE;
  created_ = true;
  return TRUE;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCWSTR text) {
  if (!created_) return FALSE;
  items_.push_back({flags, id, CString(text != nullptr ? text : L"")});
  return TRUE;
}

UINT_PTR CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) {
  plat::RequireUiThread("CMenu::TrackPopupMenu");
  if (!created_ || items_.empty()) return 0;
  static plat::QtPopupMenus qtMenus;
  plat::IPopupMenus& menus = plat::g_menus ? *plat::g_menus : qtMenus;
  const HWND handle = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
  const UINT_PTR chosen = menus.Track(handle, items_, CPoint(x, y), flags);
  if (flags & TPM_RETURNCMD) return chosen;
  if (chosen != 0 && owner != nullptr) owner->PostMessage(WM_COMMAND, chosen);
  return chosen != 0;
}
