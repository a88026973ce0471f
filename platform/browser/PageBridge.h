// The one object on the page's web channel. The channel lives in a script world of its own that
// only the browser's injected script shares, so the page reaches it only through
// external.OnSelectRoad.
#pragma once

#include <QObject>
#include <functional>

namespace plat {

class PageBridge : public QObject {
  Q_OBJECT

 public:
  explicit PageBridge(std::function<void(int)> onSelectRoad) : onSelectRoad_(std::move(onSelectRoad)) {}

  Q_INVOKABLE void OnSelectRoad(int videoTime) { onSelectRoad_(videoTime); }

 private:
  std::function<void(int)> onSelectRoad_;
};

}  // namespace plat
