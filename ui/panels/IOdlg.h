// IOdlg: the car-data pop-up (template 1510, "IO Dlg"): a borderless 720 x 200 panel that shows
// the car's information and engine speed in two lines and a sign per input, lit while the input
// is on, over its background. The main window hands it the car data of each sensor block and
// shows it centred over itself.
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
  // The brake sign is the first of the eight.
  static constexpr int kBrakeInput = 0;

  explicit IOdlg(CWnd* parent);

  // Keeps the car data of the latest sensor block and shows it: the car's information, the
  // driver's id, the engine speed and one flag byte per input (eight; null for all off).
  void SetCarData(const CString& carInfo, const CString& driverId, double rpm, const unsigned char* flags);
  // Places the panel, keeping its size, with its centre on the main window's.
  void ShowCentered();
  // "%04.0lf RPM" of the engine speed.
  static CString RpmText(double rpm);

  const CString& GetCarInfo() const { return carInfo_; }
  const CString& GetDriverId() const { return driverId_; }
  double GetRpm() const { return rpm_; }
  bool IsInputOn(int input) const { return inputs_.at(static_cast<size_t>(input)); }

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool OnButton(int id) override;

 private:
  void AttachPictures();
  void ShowInputs();
  void Paint(CDC& dc);

  CString carInfo_;
  CString driverId_;
  double rpm_ = 0.0;
  std::array<bool, ui::kCarDataInputs> inputs_{};
  CFont font_;
  std::array<CStatic, 2 * ui::kCarDataInputs> pictures_;
  std::array<CBitmap, 2 * ui::kCarDataInputs> pictureBitmaps_;
};
