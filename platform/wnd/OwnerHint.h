#pragma once

#include <QWidget>

namespace plat {

// Tells the window manager again that `owned` belongs to `owner`.
void WriteTransientFor(QWidget& owned, QWidget& owner);

}  // namespace plat
