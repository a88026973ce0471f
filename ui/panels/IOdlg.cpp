#include "ui/panels/IOdlg.h"

#include <cmath>

#include "controls/MemDC.h"
#include "platform/wnd/PaintDC.h"
#include "ui/MainDlg.h"

namespace {

constexpr COLORREF kTextColour = 0x00FF00;
constexpr int kFontHeight = 20;
constexpr UINT kLineFormat = DT_SINGLELINE | DT_VCENTER;
// The signs stand in a row at the top of the card, each showing the part of its picture that holds
// the sign, and the two lines follow below them, so that no sign covers the text.
constexpr int kSignHeight = 42;
const CRect kFirstLine(38, 84, 542, 108);
const CRect kSecondLine(38, 108, 542, 132);

}  // namespace

IOdlg::IOdlg(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL IOdlg::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kCarDataPanel.background);
  PlaceButtons(ui::kCarDataPanelControls);
  AttachPictures();
  font_.CreateFont(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
  return TRUE;
}

void IOdlg::AttachPictures() {
  for (int k = 0; k < 2 * ui::kCarDataInputs; ++k) {
    const bool on = k >= ui::kCarDataInputs;
    const int input = k % ui::kCarDataInputs;
    const int item = (on ? kOnPictureItem : kOffPictureItem) + input;
    const int bitmap = (on ? ui::kCarDataOnPicture : ui::kCarDataOffPicture) + input;
    CStatic& picture = pictures_[static_cast<size_t>(k)];
    CBitmap& image = pictureBitmaps_[static_cast<size_t>(k)];
    if (!picture.SubclassDlgItem(static_cast<UINT>(item), this) || !image.LoadBitmap(static_cast<UINT>(bitmap))) continue;
    const ui::LayoutRect r = ui::CarDataPictureRect(input);
    picture.MoveWindow(r.left, r.top, ui::kCarDataPictureSpacing, kSignHeight, FALSE);
    picture.SetBitmap(image);
  }
  ShowInputs();
}

// Each input shows its lit sign while on and its dark one while off.
void IOdlg::ShowInputs() {
  for (int k = 0; k < 2 * ui::kCarDataInputs; ++k) {
    CStatic& picture = pictures_[static_cast<size_t>(k)];
    if (!picture.GetSafeHwnd()) continue;
    const bool on = inputs_[static_cast<size_t>(k % ui::kCarDataInputs)];
    picture.ShowWindow((k >= ui::kCarDataInputs) == on ? SW_SHOW : SW_HIDE);
  }
}

void IOdlg::SetCarData(const CString& carInfo, const CString& driverId, double rpm, const unsigned char* flags) {
  std::array<bool, ui::kCarDataInputs> inputs{};
  for (size_t k = 0; flags != nullptr && k < inputs.size(); ++k) inputs[k] = flags[k] != 0;
  const double engineSpeed = std::isfinite(rpm) ? rpm : 0.0;
  const bool changed = carInfo != carInfo_ || engineSpeed != rpm_ || inputs != inputs_;
  carInfo_ = carInfo;
  driverId_ = driverId;
  rpm_ = engineSpeed;
  inputs_ = inputs;
  if (!changed || !m_hWnd) return;
  ShowInputs();
  Invalidate(FALSE);
}

CString IOdlg::RpmText(double rpm) {
  CString text;
  text.Format(L"%04.0lf RPM", rpm);
  return text;
}

void IOdlg::ShowCentered() {
  if (main_ == nullptr || !main_->GetSafeHwnd() || !m_hWnd) return;
  CRect owner;
  CRect own;
  main_->GetWindowRect(&owner);
  GetWindowRect(&own);
  const int x = (owner.left + owner.right) / 2 - own.Width() / 2;
  const int y = (owner.top + owner.bottom) / 2 - own.Height() / 2;
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT IOdlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    CPaintDC dc(this);
    Paint(dc);
    return 0;
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

// Composed off-screen: the background stretched over the panel, then the two lines.
void IOdlg::Paint(CDC& dc) {
  CRect client;
  GetClientRect(&client);
  CMemDC composed(&dc, &client);
  CBitmap background;
  BITMAP bm{};
  if (background.LoadBitmap(static_cast<UINT>(ui::kCarDataPanel.background)) && background.GetBitmap(&bm)) {
    CDC skin;
    skin.CreateCompatibleDC(&dc);
    CBitmap* old = skin.SelectObject(&background);
    composed.StretchBlt(0, 0, client.Width(), client.Height(), &skin, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    skin.SelectObject(old);
  }
  composed.SetBkMode(TRANSPARENT);
  composed.SetTextColor(kTextColour);
  CFont* oldFont = font_.GetSafeHandle() ? composed.SelectObject(&font_) : nullptr;
  CRect first = kFirstLine;
  CRect second = kSecondLine;
  composed.DrawText(carInfo_, first, kLineFormat);
  composed.DrawText(RpmText(rpm_), second, kLineFormat);
  if (oldFont != nullptr) composed.SelectObject(oldFont);
}

bool IOdlg::OnButton(int id) {
  if (id != kCloseButton) return false;
  HidePanel();
  return true;
}
