// CToolTipCtrl: tips for the windows registered as its tools. Qt tracks the pointer and shows a
// tool's tip itself, so relayed mouse messages (RelayEvent, TTM_RELAYEVENT) need no handling.
#pragma once

#include "platform/wnd/Wnd.h"

class CToolTipCtrl : public CWnd {
 public:
  BOOL Create(CWnd* parent, DWORD style = 0);
  // Inactive tips are not shown.
  void Activate(BOOL activate);
  BOOL AddTool(CWnd* tool, LPCWSTR text);
  void DelTool(CWnd* tool);
  // Also replaces a tip on show.
  void UpdateTipText(LPCWSTR text, CWnd* tool);
  void GetText(CString& text, CWnd* tool) const;
  void RelayEvent(LPMSG msg);
};
