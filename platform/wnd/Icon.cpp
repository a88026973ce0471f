#include "platform/wnd/Icon.h"

#include <QFile>
#include <map>
#include <memory>
#include <vector>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

struct IconTable {
  std::map<UINT, QIcon> registered;
  std::map<UINT, std::unique_ptr<QIcon>> loaded;  // the icon each handle of an id points to
  std::vector<std::unique_ptr<QIcon>> replaced;   // loaded before a registration changed them
};

IconTable& Icons() {
  static IconTable table;
  return table;
}

QIcon FromResources(UINT id) {
  QIcon icon;
  for (const char* suffix : {".svg", ".png"}) {
    const QString path = QStringLiteral(":/icons/%1%2").arg(id).arg(QLatin1String(suffix));
    if (QFile::exists(path)) icon.addFile(path);
  }
  return icon;
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
  if (auto it = table.loaded.find(id); it != table.loaded.end()) {
    table.replaced.push_back(std::move(it->second));
    table.loaded.erase(it);
  }
  if (icon.isNull()) {
    Icons().registered.erase(id);
  } else {
    Icons().registered[id] = icon;
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
  if (!IS_INTRESOURCE(name)) return nullptr;
  const auto id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(name));
  plat::IconTable& table = plat::Icons();
  if (auto it = table.loaded.find(id); it != table.loaded.end()) return reinterpret_cast<HICON>(it->second.get());
  auto it = table.registered.find(id);
  const QIcon icon = it != table.registered.end() ? it->second : plat::FromResources(id);
  if (icon.isNull()) return nullptr;
  auto& slot = table.loaded[id];
  slot = std::make_unique<QIcon>(icon);
  return reinterpret_cast<HICON>(slot.get());
}
