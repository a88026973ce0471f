#include "platform/gdi/GdiDefs.h"
#include "platform/wnd/Window.h"

namespace plat {

void RegisterStandardClasses() {
  for (WindowClass c : {ButtonClass(), StaticClass(), EditClass(), ComboBoxClass(), ListViewClass(), DateTimeClass(),
                        ProgressClass(), ToolTipClass()}) {
    AddWindowClass(std::move(c));
  }
  WindowClass dialog;
  dialog.name = L"#32770";
  dialog.style = CS_DBLCLKS | CS_SAVEBITS;
  dialog.cursor = LoadCursor(nullptr, IDC_ARROW);
  dialog.background = COLOR_3DFACE + 1;
  AddWindowClass(std::move(dialog));
}

}  // namespace plat
