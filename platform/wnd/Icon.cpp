#include "platform/wnd/Icon.h"

#include <QDir>
#include <map>
#include <memory>
#include <vector>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

struct IconTable {
  std::map<QString, QIcon> registered;
  std::map<QString, std::unique_ptr<QIcon>> loaded;  // the icon each handle of a name points to
  std::vector<std::unique_ptr<QIcon>> replaced;      // loaded before a registration changed them
};

IconTable& Icons() {
  static IconTable table;
  return table;
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

void RegisterIconResource(UINT id, const QIcon& icon) {
  IconTable& table = Icons();
  const QString name = QString::number(id);
  if (auto it = table.loaded.find(name); it != table.loaded.end()) {
    table.replaced.push_back(std::move(it->second));
    table.loaded.erase(it);
  }
  if (icon.isNull()) {
    table.registered.erase(name);
  } else {
    table.registered[name] = icon;
  }
}

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
  plat::IconTable& table = plat::Icons();
  if (auto it = table.loaded.find(key); it != table.loaded.end()) return reinterpret_cast<HICON>(it->second.get());
  auto it = table.registered.find(key);
  const QIcon icon = it != table.registered.end() ? it->second : plat::FromResources(key);
  if (icon.isNull()) return nullptr;
  auto& slot = table.loaded[key];
  slot = std::make_unique<QIcon>(icon);
  return reinterpret_cast<HICON>(slot.get());
}
