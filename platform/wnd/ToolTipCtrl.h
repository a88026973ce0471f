// CToolTipCtrl: tips for the windows registered as its tools. Qt tracks the pointer and shows a
// tool's tip itself, so relayed mouse messages (RelayEvent, TTM_RELAYEVENT) need no handling.
//
// A tool shows one tip however many give it one (a window's shared tooltip control, a control's
// own tip): the tip set last among those still active. Setting a text again (UpdateTipText) makes
// it the one shown, and a tip on show changes at once. Deactivating, removing or destroying one
// source brings back the tip of the source set before it.
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

namespace plat {

// The window's own tip, shown as a tooltip control's tips are; an empty text takes it away.
void SetOwnTip(CWnd& tool, LPCWSTR text);

}  // namespace plat
