#include "ui/panels/IOdlg.h"

#include <algorithm>

IOdlg::IOdlg(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL IOdlg::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kCarDataPanel.background);
  PlaceButtons(ui::kCarDataPanelControls);
  AttachPictures();
  return TRUE;
}

void IOdlg::SetCarData(const CString& carInfo, const CString& driverId, double rpm, const unsigned char* flags) {
  carInfo_ = carInfo;
  driverId_ = driverId;
  rpm_ = rpm;
  if (flags != nullptr) std::copy_n(flags, flags_.size(), flags_.begin());
  if (m_hWnd && IsWindowVisible()) Invalidate(FALSE);
}

// Every input starts off: its off picture shows, its on picture waits beneath.
void IOdlg::AttachPictures() {
  for (int k = 0; k < 2 * ui::kCarDataInputs; ++k) {
    const bool on = k >= ui::kCarDataInputs;
    const int input = k % ui::kCarDataInputs;
    const int item = (on ? kOnPictureItem : kOffPictureItem) + input;
    const int bitmap = (on ? ui::kCarDataOnPicture : ui::kCarDataOffPicture) + input;
    CStatic& picture = pictures_[static_cast<size_t>(k)];
    CBitmap& image = pictureBitmaps_[static_cast<size_t>(k)];
    if (!picture.SubclassDlgItem(static_cast<UINT>(item), this) || !image.LoadBitmap(static_cast<UINT>(bitmap))) continue;
    Place(picture, ui::CarDataPictureRect(input));
    picture.SetBitmap(image);
    picture.ShowWindow(on ? SW_HIDE : SW_SHOW);
  }
}
