#include "ui/panels/CalendarPanel.h"

#include "ui/MainDlgIds.h"

namespace {

constexpr std::array<int, 4> kGridIds{mainid::kHourGrid0, mainid::kHourGrid12, mainid::kMinuteGrid0,
                                      mainid::kMinuteGrid30};

}  // namespace

CalendarPanel::CalendarPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL CalendarPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kCalendarPanel.background);
  const auto& controls = ui::kCalendarPanelControls;
  if (calendar_.SubclassDlgItem(mainid::kCalendar, this)) {
    Place(calendar_, FindDesign(controls, mainid::kCalendar)->rect);
  }
  for (size_t i = 0; i < grids_.size(); ++i) {
    if (grids_[i].SubclassDlgItem(static_cast<UINT>(kGridIds[i]), this)) {
      Place(grids_[i], FindDesign(controls, kGridIds[i])->rect);
    }
  }
  PlaceButtons(controls, {mainid::kCalendar, kGridIds[0], kGridIds[1], kGridIds[2], kGridIds[3]});
  return TRUE;
}
