#include "platform/wnd/Icon.h"

#include <QDir>
#include <map>
#include <memory>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

// The icon each handle of a name points to, for the program's whole run.
std::map<QString, std::unique_ptr<QIcon>>& LoadedIcons() {
  static std::map<QString, std::unique_ptr<QIcon>> loaded;
  return loaded;
}

QIcon FromResources(const QString& name) {
  QIcon icon;
  const QDir folder(":/icons");
  for (const QString& file : folder.entryList({name + ".svg", name + ".png", name + "-*.png"}, QDir::Files)) {
    icon.addFile(folder.filePath(file));
  }
  return icon;
}

// A resource id counts as the name of its number.
QString NameOf(LPCWSTR name) {
  return IS_INTRESOURCE(name) ? QString::number(reinterpret_cast<UINT_PTR>(name)) : ToQString(name);
}

// The window manager shows one icon in several sizes: the large and small icons together.
QIcon Combined(const Window& w) {
  QIcon combined = QIconOf(w.icons[ICON_BIG]);
  const QIcon small = QIconOf(w.icons[ICON_SMALL]);
  for (const QSize size : small.availableSizes()) combined.addPixmap(small.pixmap(size));
  return combined.isNull() ? small : combined;
}

}  // namespace

QIcon QIconOf(HICON icon) { return icon ? *reinterpret_cast<const QIcon*>(icon) : QIcon(); }

LRESULT SetIconOf(Window& wnd, WPARAM which, HICON icon) {
  const size_t slot = which == ICON_BIG ? ICON_BIG : ICON_SMALL;
  const HICON previous = wnd.icons[slot];
  wnd.icons[slot] = icon;
  if (wnd.widget && !wnd.IsChild()) wnd.widget->setWindowIcon(Combined(wnd));
  return reinterpret_cast<LRESULT>(previous);
}

LRESULT IconOf(const Window& wnd, WPARAM which) {
  return reinterpret_cast<LRESULT>(wnd.icons[which == ICON_BIG ? ICON_BIG : ICON_SMALL]);
}

}  // namespace plat

HICON LoadIcon(HINSTANCE, LPCWSTR name) {
  if (!name) return nullptr;
  const QString key = plat::NameOf(name);
  auto& loaded = plat::LoadedIcons();
  if (auto it = loaded.find(key); it != loaded.end()) return reinterpret_cast<HICON>(it->second.get());
  const QIcon icon = plat::FromResources(key);
  if (icon.isNull()) return nullptr;
  auto& slot = loaded[key];
  slot = std::make_unique<QIcon>(icon);
  return reinterpret_cast<HICON>(slot.get());
}
