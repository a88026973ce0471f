#include "controls/FolderDialog.h"

#include "platform/wnd/Shell.h"

CFolderDialog::CFolderDialog(LPCWSTR title, LPCWSTR initialFolder, CWnd* parent, UINT flags)
    : CCommonDialog(parent), title_(title ? title : L""), flags_(flags) {
  if (initialFolder) initialFolder_ = initialFolder;
}

BOOL CFolderDialog::SetInitialFolder(LPCWSTR path) {
  if (!path) return FALSE;
  initialFolder_ = path;
  return TRUE;
}

// The top-level window of the parent, as for any modal dialog.
CWnd* CFolderDialog::ModalOwner() const {
  CWnd* owner = m_pParentWnd;
  while (owner && (owner->GetStyle() & WS_CHILD) && owner->GetParent()) owner = owner->GetParent();
  return owner;
}

INT_PTR CFolderDialog::DoModal() {
  chosenPath_.Empty();
  plat::FolderBrowseEvents events;
  events.initialized = [this](plat::FolderBrowser& b) {
    BrowserScope scope(*this, b);
    OnInitialized();
  };
  events.selectionChanged = [this](plat::FolderBrowser& b, const CString& path) {
    BrowserScope scope(*this, b);
    OnSelChanged(path);
  };
  events.validateFailed = [this](plat::FolderBrowser& b, const CString& typed) {
    BrowserScope scope(*this, b);
    return OnValidateFailed(typed);
  };
  CWnd* owner = ModalOwner();
  const plat::FolderBrowseResult r = plat::BrowseForFolder(owner ? owner->m_hWnd : nullptr, title_, flags_, events);
  if (r.result == IDOK) {
    chosenPath_ = r.path;
    return IDOK;
  }
  return r.result == -1 ? -1 : IDCANCEL;
}

void CFolderDialog::OnInitialized() {
  if (!initialFolder_.IsEmpty()) SetSelection(initialFolder_);
}

void CFolderDialog::OnSelChanged(const CString& path) {
  if (flags_ & BIF_STATUSTEXT) SetStatusText(path);
}

int CFolderDialog::OnValidateFailed(const CString&) {
  MessageBeep(MB_ICONHAND);
  return 1;
}

void CFolderDialog::SetSelection(const CString& path) {
  if (browser_) browser_->SetSelection(path);
}

void CFolderDialog::SetStatusText(const CString& text) {
  if (browser_) browser_->SetStatusText(text);
}
