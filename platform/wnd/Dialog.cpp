#include "platform/wnd/Dialog.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/Window.h"

namespace {

// The dialogs whose DoModal runs, innermost last.
std::vector<CDialog*> g_modalDialogs;

bool IsPushButton(LRESULT code) { return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0; }

// The position of a top-level dialog: the template's offset from the owner's client area.
CRect PlaceOnScreen(const plat::DialogTemplate& t, CWnd* owner) {
  CRect rc = t.rect;
  if (owner && !(t.style & WS_CHILD)) {
    POINT origin{0, 0};
    owner->ClientToScreen(&origin);
    rc.OffsetRect(origin.x, origin.y);
  }
  return rc;
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

BOOL CDialog::CreateControls(const void* dialogTemplate) {
  const auto& t = *static_cast<const plat::DialogTemplate*>(dialogTemplate);
  for (const plat::DialogItem& item : t.items) {
    const plat::WindowClass* cls = plat::FindWindowClass(item.className.c_str());
    if (!cls) return FALSE;
    CWnd* obj = cls->makeObject ? cls->makeObject() : new CWnd;
    std::shared_ptr<plat::Window> w =
        plat::CreateWindowFor(*obj, item.exStyle, *cls, item.text, item.style, item.rect, Impl(), item.id);
    if (!w) {
      delete obj;
      return FALSE;
    }
    w->ownsObject = true;
    obj->SetFont(font_.get(), FALSE);
  }
  return TRUE;
}

BOOL CDialog::CreateFromTemplate(bool modal, bool* showWhenIdle) {
  if (m_hWnd) return FALSE;
  const std::optional<plat::DialogTemplate> t = plat::LoadDialogTemplate(m_nIDTemplate);
  const plat::WindowClass* cls = plat::FindWindowClass(L"#32770");
  if (!t || !cls) return FALSE;
  modal_ = modal;
  ended_ = false;
  result_ = -1;
  *showWhenIdle = (t->style & WS_VISIBLE) != 0;
  plat::Window* parent = m_pParentWnd ? m_pParentWnd->Impl() : nullptr;
  const DWORD style = t->style & ~WS_VISIBLE;
  if (!plat::CreateWindowFor(*this, t->exStyle, *cls, t->title, style, PlaceOnScreen(*t, m_pParentWnd), parent, 0)) {
    return FALSE;
  }
  if (t->style & DS_CENTER) CenterWindow();
  const LOGFONTW lf = plat::MessageFont();
  font_ = std::make_unique<CFont>();
  font_->CreateFontIndirect(&lf);
  SetFont(font_.get(), FALSE);
  if (!CreateControls(&*t)) {
    DestroyWindow();
    return FALSE;
  }
  // OnInitDialog may subclass controls: the first tab stop is kept by its handle.
  const CWnd* first = GetNextDlgTabItem(nullptr);
  const HWND firstHandle = first ? first->m_hWnd : nullptr;
  const HWND self = m_hWnd;
  if (SendMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(firstHandle)) && IsWindow(self) && IsWindow(firstHandle)) {
    GotoDlgCtrl(CWnd::FromHandle(firstHandle));
  }
  return IsWindow(self);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDTemplate = templateId;
  m_pParentWnd = parent;
  bool show = false;
  if (!CreateFromTemplate(false, &show)) return FALSE;
  if (show) ShowWindow(SW_SHOW);
  return TRUE;
}

INT_PTR CDialog::DoModal() {
  plat::Window* parent = m_pParentWnd ? m_pParentWnd->Impl() : nullptr;
  const HWND owner = parent ? parent->TopLevel()->handle : nullptr;
  const bool disableOwner = owner && CWnd::FromHandle(owner)->IsWindowEnabled();
  bool show = false;
  if (!CreateFromTemplate(true, &show)) return -1;
  if (disableOwner) CWnd::FromHandle(owner)->EnableWindow(FALSE);
  const HWND self = m_hWnd;
  g_modalDialogs.push_back(this);
  const int loop = ended_ ? 0
                          : plat::RunModalLoop([&] { return !ended_ && IsWindow(self); },
                                               [&] {
                                                 if (show && IsWindow(self) && !IsWindowVisible()) ShowWindow(SW_SHOWNORMAL);
                                               });
  g_modalDialogs.erase(std::find(g_modalDialogs.begin(), g_modalDialogs.end(), this));
  if (loop != 0 && !ended_) result_ = -1;
  if (disableOwner && IsWindow(owner)) CWnd::FromHandle(owner)->EnableWindow(TRUE);
  if (IsWindow(self)) DestroyWindow();
  modal_ = false;
  return result_;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if (!modal_) ShowWindow(SW_HIDE);
  plat::WakeLoop();
}

void CDialog::CancelModalsAbove(HWND base, std::function<void()> then) {
  switch (CancelInnermostAbove(base)) {
    case ModalStep::kBaseOnTop:
      then();
      break;
    case ModalStep::kEnding:
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [base, then] { CancelModalsAbove(base, then); }, Qt::QueuedConnection);
      break;
    case ModalStep::kStays:
      break;
  }
}

// A dialog that has ended but whose loop has yet to return is not asked again.
CDialog::ModalStep CDialog::CancelInnermostAbove(HWND base) {
  if (QWidget* qtDialog = QApplication::activeModalWidget()) {
    qtDialog->close();
    return qtDialog->isVisible() ? ModalStep::kStays : ModalStep::kEnding;
  }
  if (!IsWindow(base)) return ModalStep::kStays;
  if (g_modalDialogs.empty() || g_modalDialogs.back()->m_hWnd == base) return ModalStep::kBaseOnTop;
  CDialog* innermost = g_modalDialogs.back();
  if (!innermost->ended_) innermost->SendMessage(WM_CLOSE);
  return innermost->ended_ ? ModalStep::kEnding : ModalStep::kStays;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

CWnd* CDialog::ChildHolding(CWnd* wnd) const {
  plat::Window* w = wnd ? wnd->Impl() : nullptr;
  while (w && w->IsChild() && w->parent != Impl()) w = w->parent;
  return w && w->parent == Impl() ? w->object : nullptr;
}

void CDialog::NextDlgCtrl() const {
  if (CWnd* next = GetNextDlgTabItem(ChildHolding(GetFocus()), FALSE)) const_cast<CDialog*>(this)->GotoDlgCtrl(next);
}

void CDialog::PrevDlgCtrl() const {
  if (CWnd* prev = GetNextDlgTabItem(ChildHolding(GetFocus()), TRUE)) const_cast<CDialog*>(this)->GotoDlgCtrl(prev);
}

void CDialog::GotoDlgCtrl(CWnd* control) {
  if (!control) return;
  control->SetFocus();
  if (control->SendMessage(WM_GETDLGCODE) & DLGC_HASSETSEL) control->SendMessage(EM_SETSEL, 0, -1);
}

UINT CDialog::DefaultButtonId() const {
  for (plat::Window* c : Impl()->children) {
    if (c->cls == plat::FindWindowClass(L"Button") && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return c->id;
  }
  return IDOK;
}

void CDialog::PressButton(UINT id) {
  CWnd* button = GetDlgItem(static_cast<int>(id));
  if (button && !button->IsWindowEnabled()) return;
  SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(button ? button->m_hWnd : nullptr));
}

BOOL CDialog::HandleDialogKey(const MSG& msg, CWnd* focus) {
  const LRESULT code = focus ? focus->SendMessage(WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
  if (code & DLGC_WANTALLKEYS) return FALSE;
  const int vk = static_cast<int>(msg.wParam);
  CWnd* item = ChildHolding(focus);
  switch (vk) {
    case VK_TAB:
      if (code & DLGC_WANTTAB) return FALSE;
      if (GetKeyState(VK_SHIFT) < 0) {
        PrevDlgCtrl();
      } else {
        NextDlgCtrl();
      }
      return TRUE;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      if ((code & DLGC_WANTARROWS) || !item) return FALSE;
      CWnd* next = GetNextDlgGroupItem(item, vk == VK_LEFT || vk == VK_UP);
      if (next && next != item) {
        GotoDlgCtrl(next);
        if (next->SendMessage(WM_GETDLGCODE) & DLGC_RADIOBUTTON) next->SendMessage(BM_CLICK);
      }
      return TRUE;
    }
    case VK_RETURN:
      PressButton((item && IsPushButton(code)) ? static_cast<UINT>(item->GetDlgCtrlID()) : DefaultButtonId());
      return TRUE;
    case VK_ESCAPE:
      PressButton(IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message != WM_KEYDOWN || !m_hWnd) return FALSE;
  CWnd* target = CWnd::FromHandle(msg->hwnd);
  if (target != this && !IsChild(target)) return FALSE;
  return HandleDialogKey(*msg, target);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
        OnOK();
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return 0;
      }
      break;
    case WM_CLOSE:
      SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
    default:
      break;
  }
  return CWnd::WindowProc(msg, wParam, lParam);
}
