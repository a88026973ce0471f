// CProgressCtrl: a progress bar with a range (0..100 unless set) and a position.
#pragma once

#include "platform/wnd/Wnd.h"

class CProgressCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetRange(short lower, short upper);
  void SetRange32(int lower, int upper);
  // Returns the previous position; the position stays within the range.
  int SetPos(int pos);
  int GetPos() const;
};
