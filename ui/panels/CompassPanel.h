// CompassPanel: the small floating panel that shows the vehicle's heading as a needle turned
// over a compass face, with the position written below it (template 108). It keeps no position of
// its own: it reads the main window's current GPS fix whenever it paints.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "ui/panels/SidePanel.h"

class CompassPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 108;
  // A latitude or longitude that the fix does not have.
  static constexpr double kNoPosition = -360.0;

  explicit CompassPanel(CWnd* parent);

  // "%9.6f %c" of the absolute value with the positive or the negative letter; empty for a value
  // the fix does not have.
  static CString PositionText(double value, wchar_t positive, wchar_t negative);

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  struct Fix {
    double latitude = kNoPosition;
    double longitude = kNoPosition;
    double course = 0.0;  // degrees clockwise from north
  };
  // The main window's current fix.
  virtual Fix CurrentFix() const;
  bool OnButton(int id) override;

 private:
  void ChooseFont();
  void Paint(CDC& dc);
  void DrawPosition(CDC& dc, const Fix& fix);

  CBitmap needle_;
  CFont font_;
};
