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

  // The car data of the latest sensor block (eight input flags): kept for the panel's next paint.
  void SetCarData(const CString& carInfo, const CString& driverId, double rpm, const unsigned char* flags);
  const CString& GetCarInfo() const { return carInfo_; }
  const CString& GetDriverId() const { return driverId_; }
  double GetRpm() const { return rpm_; }
  const std::array<unsigned char, ui::kCarDataInputs>& GetInputFlags() const { return flags_; }

 private:
  void AttachPictures();

  CString carInfo_;
  CString driverId_;
  double rpm_ = 0.0;
  std::array<unsigned char, ui::kCarDataInputs> flags_{};

  std::array<CStatic, 2 * ui::kCarDataInputs> pictures_;
  std::array<CBitmap, 2 * ui::kCarDataInputs> pictureBitmaps_;
};
