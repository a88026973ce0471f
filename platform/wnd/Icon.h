// Icons of top-level windows: the program's icon, given to a window with WM_SETICON as its large
// and small icon (ICON_BIG, ICON_SMALL).
#pragma once

#include <QIcon>

#include "platform/wnd/WinInput.h"

struct HICON__;
using HICON = HICON__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

// An icon resource by id: a registered icon, else every one of ":/icons/<id>.svg" and
// ":/icons/<id>.png" that exists. Icons live as long as the program; null when there is none.
HICON LoadIcon(HINSTANCE instance, LPCWSTR name);

namespace plat {

// A null icon removes the registration; handles given out before keep their icon.
void RegisterIconResource(UINT id, const QIcon& icon);
// The icon behind a handle; a null icon for a null handle.
QIcon QIconOf(HICON icon);

}  // namespace plat
