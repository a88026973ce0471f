// Icons of top-level windows: the program's icon, given to a window with WM_SETICON as its large
// and small icon (ICON_BIG, ICON_SMALL).
#pragma once

#include <QIcon>

#include "platform/wnd/WinInput.h"

struct HICON__;
using HICON = HICON__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

// An icon resource by name, or by id (the name of its number): every one of ":/icons/<name>.svg",
// ":/icons/<name>.png" and ":/icons/<name>-<size>.png" that exists, in one icon of several sizes
// (L"program" gives the program's large and small icon). Icons live as long as the program; null
// when there is none.
HICON LoadIcon(HINSTANCE instance, LPCWSTR name);

namespace plat {

// The icon behind a handle; a null icon for a null handle.
QIcon QIconOf(HICON icon);

}  // namespace plat
