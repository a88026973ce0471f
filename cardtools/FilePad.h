// FilePad: the file pad (template 233), a modeless window of the main window, which hands it its
// time-zone offset before showing it. It shows the zone of that offset among the recorder's time
// zones and lets the user pick another; the pick is kept here and changes nothing else.
#pragma once

#include <cstdint>

#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"

class FilePad : public CDialog {
 public:
  static constexpr UINT kTemplate = 233;
  static constexpr int kZoneList = 1002;

  explicit FilePad(CWnd* parent);

  // Selects the time-zone row of the offset (seconds east of UTC); none when no row has it.
  void SetTimeZoneOffset(std::int32_t seconds);
  // The offset of the selected row; the offset given when none is selected.
  std::int32_t GetTimeZoneOffset() const;

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  void SelectOffset();

  CComboBox zoneList_;
  std::int32_t offset_ = 0;
};
