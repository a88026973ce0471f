// IOdlg: the car-data pop-up (template 1510, "IO Dlg"): a borderless 720 x 200 panel showing two
// lines of car data and a picture per input over its background. The main window shows it centred
// over itself and hands it the car data of each sensor block.
#pragma once

#include <array>

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Static.h"
#include "ui/panels/SidePanel.h"

class IOdlg : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 1510;
  static constexpr int kCloseButton = 1541;
  static constexpr int kOffPictureItem = 1550;  // 1550 to 1557
  static constexpr int kOnPictureItem = 1560;   // 1560 to 1567

  explicit IOdlg(CWnd* parent);

  BOOL OnInitDialog() override;

 private:
  void AttachPictures();

  std::array<CStatic, 2 * ui::kCarDataInputs> pictures_;
  std::array<CBitmap, 2 * ui::kCarDataInputs> pictureBitmaps_;
};
