// CDialog: a window built from a dialog template, run modeless (Create) or modal (DoModal, a
// nested message loop that keeps dispatching timers and posted messages). The dialog keys work
// from PreTranslateMessage: Tab and Shift+Tab move between WS_TABSTOP controls, arrows within a
// WS_GROUP group, Enter clicks the focused push button or the default one, Escape is IDCANCEL;
// a control keeps the keys it asks for with WM_GETDLGCODE.
#pragma once

#include <functional>
#include <memory>

#include "platform/wnd/Wnd.h"

class CFont;

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Subclasses the dialog's control `id` by `control` unless it already has a window.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  CDialog();
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // A modeless dialog; shown when the template has WS_VISIBLE.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  // Runs the dialog modally and returns what EndDialog was given; -1 when it could not be made.
  virtual INT_PTR DoModal();
  // Ends a modal dialog (the loop returns `result`); hides a modeless one.
  void EndDialog(int result);
  // Runs before the dialog is shown; TRUE gives the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  void NextDlgCtrl() const;
  void PrevDlgCtrl() const;
  void GotoDlgCtrl(CWnd* control);

  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Ends the modal dialogs over `base` (a dialog run with DoModal) as their Cancel or Escape would,
  // innermost first: a Qt dialog that has the input, then each dialog run with DoModal after
  // `base`. Once no modal dialog runs over `base`, `then` runs. Nothing more happens when a dialog
  // stays open (it refused) or `base` is gone. Each step runs from the UI thread's event queue.
  static void CancelModalsAbove(HWND base, std::function<void()> then);

 protected:
  virtual void DoDataExchange(CDataExchange* dx);
  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;

 private:
  BOOL CreateFromTemplate(bool modal, bool* showWhenIdle);
  BOOL CreateControls(const void* dialogTemplate);
  BOOL HandleDialogKey(const MSG& msg, CWnd* focus);
  CWnd* ChildHolding(CWnd* wnd) const;
  UINT DefaultButtonId() const;
  // BN_CLICKED from the button with the id, unless that button is disabled.
  void PressButton(UINT id);
  enum class ModalStep { kBaseOnTop, kEnding, kStays };
  static ModalStep CancelInnermostAbove(HWND base);

  std::unique_ptr<CFont> font_;
  bool modal_ = false;
  bool ended_ = false;
  int result_ = -1;
};

// The base of dialogs that the platform draws itself (the folder picker).
class CCommonDialog : public CDialog {
 public:
  explicit CCommonDialog(CWnd* parent) : CDialog(0, parent) {}
};
