// CDateTimeCtrl: a date (or, with DTS_TIMEFORMAT, time) picker holding a local time.
#pragma once

#include <cstdint>

#include "platform/wnd/Wnd.h"

class CDateTimeCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // Seconds since 1970, shown in local time; FALSE for a time the picker cannot show.
  BOOL SetTime(std::int64_t time);
  BOOL GetTime(std::int64_t& time) const;
  // The shown format: yyyy, MM, dd, HH, mm and ss with literal text in single quotes.
  BOOL SetFormat(LPCWSTR format);
};
