#include "platform/wnd/ListCtrl.h"

#include <QHeaderView>
#include <QPainter>
#include <QTreeWidget>

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/Surface.h"
#include "platform/wnd/ControlProc.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

class ListWidget : public ControlWidget<QTreeWidget> {
 public:
  ListWidget(Window& w, QWidget* parent) : ControlWidget<QTreeWidget>(w, parent) {}

 protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    Window* w = WindowOf(Handle());
    if (!w || !(w->style & LVS_OWNERDRAWFIXED)) {
      QTreeWidget::drawRow(painter, option, index);
      return;
    }
    DrawOwnerRow(*w, painter, option.rect, index.row());
  }

 private:
  void DrawOwnerRow(Window& w, QPainter* painter, const QRect& rowRect, int row) const {
    QImage pixels(rowRect.size(), QImage::Format_RGB32);
    pixels.fill(Qt::white);
    const QPoint client = rowRect.topLeft() + viewport()->pos();
    CDC dc(DcSurface{&pixels, -client, {}});
    if (w.font) dc.SelectObject(w.font);
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_LISTVIEW;
    item.CtlID = w.id;
    item.itemID = static_cast<UINT>(row);
    item.itemAction = ODA_DRAWENTIRE;
    QTreeWidgetItem* it = topLevelItem(row);
    if (it && it->isSelected()) item.itemState |= ODS_SELECTED;
    if (it && currentItem() == it && hasFocus()) item.itemState |= ODS_FOCUS;
    item.hwndItem = Handle();
    item.hDC = dc.m_hDC;
    item.rcItem = ToCRect(QRect(client, rowRect.size()));
    SendDrawItem(w, item);
    painter->drawImage(rowRect.topLeft(), pixels);
  }
};

UINT CheckStateImage(const QTreeWidgetItem* it) { return it->checkState(0) == Qt::Checked ? 0x2000 : 0x1000; }

}  // namespace

class ListProc : public ControlProc {
 public:
  QWidget* MakeWidget(Window& w, QWidget* parent) override {
    list_ = Adopt(new ListWidget(w, parent));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setItemsExpandable(false);
    list_->setAllColumnsShowFocus(true);
    list_->setColumnCount(0);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode((w.style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                       : QAbstractItemView::ExtendedSelection);
    list_->header()->setSectionsClickable(!(w.style & LVS_NOSORTHEADER));
    list_->header()->setMinimumSectionSize(0);  // a zero-width column hides it, as on the platform
    handle_ = w.handle;
    const HWND h = w.handle;
    QObject::connect(list_, &QTreeWidget::itemSelectionChanged, list_, [h] {
      if (ListProc* p = Of(h)) p->SelectionChanged();
    });
    QObject::connect(list_, &QTreeWidget::itemChanged, list_, [h](QTreeWidgetItem* it, int) {
      if (ListProc* p = Of(h)) p->CheckChanged(it);
    });
    QObject::connect(list_, &QTreeWidget::itemDoubleClicked, list_, [h](QTreeWidgetItem* it, int column) {
      if (ListProc* p = Of(h)) p->DoubleClicked(it, column);
    });
    return list_;
  }

  int InsertColumn(int column, const QString& heading, int format, int width) {
    if (column < 0) return -1;
    const int at = std::min(column, static_cast<int>(headings_.size()));
    headings_.insert(headings_.begin() + at, {heading, format});
    list_->setColumnCount(static_cast<int>(headings_.size()));
    QStringList labels;
    for (const auto& h : headings_) labels << h.first;
    list_->setHeaderLabels(labels);
    for (int r = 0; r < list_->topLevelItemCount(); ++r) ShiftTexts(list_->topLevelItem(r), at);
    list_->setColumnWidth(at, width >= 0 ? width : list_->header()->sectionSizeHint(at));
    return at;
  }

  int InsertItem(int item, const QString& text) {
    if (item < 0) return -1;
    const int at = std::min(item, list_->topLevelItemCount());
    auto* it = new QTreeWidgetItem;
    const QSignalBlocker block(list_);
    it->setText(0, text);
    ApplyColumnLayout(it);
    if (extended_ & LVS_EX_CHECKBOXES) it->setCheckState(0, Qt::Unchecked);
    list_->insertTopLevelItem(at, it);
    selected_.insert(selected_.begin() + at, false);
    return at;
  }

  QTreeWidgetItem* Row(int item) const { return item >= 0 && item < list_->topLevelItemCount() ? list_->topLevelItem(item) : nullptr; }

  BOOL SetText(int item, int sub, const QString& text) {
    QTreeWidgetItem* it = Row(item);
    if (!it || sub < 0 || sub >= std::max(1, list_->columnCount())) return FALSE;
    const QSignalBlocker block(list_);
    it->setText(sub, text);
    return TRUE;
  }

  BOOL Delete(int item) {
    QTreeWidgetItem* it = Row(item);
    if (!it) return FALSE;
    {
      const QSignalBlocker block(list_);
      delete list_->takeTopLevelItem(item);
      selected_.erase(selected_.begin() + item);
    }
    return TRUE;
  }

  void Clear() {
    const QSignalBlocker block(list_);
    list_->clear();
    selected_.clear();
  }

  DWORD SetExtended(DWORD style) {
    const DWORD old = extended_;
    extended_ = style;
    list_->setSelectionBehavior((style & LVS_EX_FULLROWSELECT) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    const QSignalBlocker block(list_);
    for (int r = 0; r < list_->topLevelItemCount(); ++r) {
      QTreeWidgetItem* it = list_->topLevelItem(r);
      if (style & LVS_EX_CHECKBOXES) {
        if (!(old & LVS_EX_CHECKBOXES)) it->setCheckState(0, Qt::Unchecked);
      } else {
        it->setData(0, Qt::CheckStateRole, QVariant());
      }
    }
    return old;
  }

  DWORD Extended() const { return extended_; }
  static ListProc* Of(HWND h) {
    Window* w = WindowOf(h);
    return w ? dynamic_cast<ListProc*>(w->proc.get()) : nullptr;
  }
  QTreeWidget& List() const { return *list_; }

 private:
  void ApplyColumnLayout(QTreeWidgetItem* it) const {
    for (size_t c = 0; c < headings_.size(); ++c) {
      const int f = headings_[c].second & 3;
      it->setTextAlignment(static_cast<int>(c), (f == LVCFMT_RIGHT ? Qt::AlignRight : f == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    }
  }

  void ShiftTexts(QTreeWidgetItem* it, int at) const {
    for (int c = list_->columnCount() - 1; c > at; --c) it->setText(c, it->text(c - 1));
    it->setText(at, QString());
    ApplyColumnLayout(it);
  }

  void Notify(int row, UINT newState, UINT oldState) {
    Window* w = WindowOf(handle_);
    if (!w || !w->parent) return;
    NMLISTVIEW nm;
    nm.hdr.hwndFrom = handle_;
    nm.hdr.idFrom = w->id;
    nm.hdr.code = static_cast<UINT>(LVN_ITEMCHANGED);
    nm.iItem = row;
    nm.uNewState = newState;
    nm.uOldState = oldState;
    nm.uChanged = LVIF_STATE;
    w->parent->Send(WM_NOTIFY, w->id, reinterpret_cast<LPARAM>(&nm));
  }

  void SelectionChanged() {
    const HWND self = handle_;
    for (int r = 0; r < list_->topLevelItemCount() && WindowOf(self); ++r) {
      const bool now = list_->topLevelItem(r)->isSelected();
      if (static_cast<size_t>(r) >= selected_.size() || selected_[static_cast<size_t>(r)] == now) continue;
      selected_[static_cast<size_t>(r)] = now;
      Notify(r, now ? LVIS_SELECTED : 0, now ? 0 : LVIS_SELECTED);
    }
  }

  void DoubleClicked(QTreeWidgetItem* it, int column) {
    Window* w = WindowOf(handle_);
    if (!w || !w->parent) return;
    NMITEMACTIVATE nm;
    nm.hdr.hwndFrom = handle_;
    nm.hdr.idFrom = w->id;
    nm.hdr.code = static_cast<UINT>(NM_DBLCLK);
    nm.iItem = list_->indexOfTopLevelItem(it);
    nm.iSubItem = column;
    const QPoint at = list_->viewport()->mapTo(list_, list_->visualItemRect(it).center());
    nm.ptAction = {at.x(), at.y()};
    w->parent->Send(WM_NOTIFY, w->id, reinterpret_cast<LPARAM>(&nm));
  }

  void CheckChanged(QTreeWidgetItem* it) {
    if (!(extended_ & LVS_EX_CHECKBOXES)) return;
    const UINT now = CheckStateImage(it);
    Notify(list_->indexOfTopLevelItem(it), now, now == 0x2000 ? 0x1000 : 0x2000);
  }

  ListWidget* list_ = nullptr;
  HWND handle_ = nullptr;
  std::vector<std::pair<QString, int>> headings_;
  std::vector<bool> selected_;
  DWORD extended_ = 0;
};

WindowClass ListViewClass() { return StandardClass<ListProc, CListCtrl>(L"SysListView32"); }

}  // namespace plat

namespace {

plat::ListProc* ProcOf(const CListCtrl& list) {
  plat::RequireUiThread("CListCtrl");
  plat::Window* w = list.Impl();
  return w ? dynamic_cast<plat::ListProc*>(w->proc.get()) : nullptr;
}

}  // namespace

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(L"SysListView32", L"", style, rect, parent, id);
}

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width) {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->InsertColumn(column, plat::ToQString(heading), format, width) : -1;
}

int CListCtrl::GetColumnWidth(int column) const {
  plat::ListProc* p = ProcOf(*this);
  if (!p || column < 0 || column >= p->List().columnCount()) return 0;
  return p->List().columnWidth(column);
}

int CListCtrl::GetStringWidth(LPCWSTR text) const {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->List().fontMetrics().horizontalAdvance(plat::ToQString(text)) : 0;
}

int CListCtrl::GetColumnCount() const {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->List().columnCount() : 0;
}

int CListCtrl::InsertItem(int item, LPCWSTR text) {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->InsertItem(item, plat::ToQString(text)) : -1;
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCWSTR text) {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->SetText(item, subItem, plat::ToQString(text)) : FALSE;
}

CString CListCtrl::GetItemText(int item, int subItem) const {
  plat::ListProc* p = ProcOf(*this);
  QTreeWidgetItem* it = p ? p->Row(item) : nullptr;
  return it ? plat::FromQString(it->text(subItem)) : CString();
}

BOOL CListCtrl::DeleteItem(int item) {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->Delete(item) : FALSE;
}

BOOL CListCtrl::DeleteAllItems() {
  plat::ListProc* p = ProcOf(*this);
  if (!p) return FALSE;
  p->Clear();
  return TRUE;
}

int CListCtrl::GetItemCount() const {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->List().topLevelItemCount() : 0;
}

namespace {

BOOL SetListColours(const CListCtrl& list, std::initializer_list<QPalette::ColorRole> roles, COLORREF color) {
  plat::ListProc* p = ProcOf(list);
  if (!p) return FALSE;
  QPalette palette = p->List().palette();
  for (QPalette::ColorRole role : roles) palette.setColor(role, plat::ToQColor(color));
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  }
  p->List().setPalette(palette);
  p->List().header()->setPalette(palette);
  return TRUE;
}

COLORREF ListColour(const CListCtrl& list, QPalette::ColorRole role) {
  plat::ListProc* p = ProcOf(list);
  if (!p) return CLR_NONE;
  const QColor c = p->List().palette().color(role);
  return RGB(c.red(), c.green(), c.blue());
}

}  // namespace

BOOL CListCtrl::SetBkColor(COLORREF color) {
  return SetListColours(*this, {QPalette::Base, QPalette::AlternateBase, QPalette::Window, QPalette::Button}, color);
}

BOOL CListCtrl::SetTextColor(COLORREF color) {
  return SetListColours(*this, {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}, color);
}

COLORREF CListCtrl::GetBkColor() const { return ListColour(*this, QPalette::Base); }

COLORREF CListCtrl::GetTextColor() const { return ListColour(*this, QPalette::Text); }

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->SetExtended(style) : 0;
}

DWORD CListCtrl::GetExtendedStyle() const {
  plat::ListProc* p = ProcOf(*this);
  return p ? p->Extended() : 0;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  plat::ListProc* p = ProcOf(*this);
  QTreeWidgetItem* it = p ? p->Row(item) : nullptr;
  if (!it) return FALSE;
  if (mask & LVIS_SELECTED) it->setSelected((state & LVIS_SELECTED) != 0);
  if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) {
    p->List().setCurrentItem(it, 0, QItemSelectionModel::NoUpdate);
  }
  return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
  plat::ListProc* p = ProcOf(*this);
  QTreeWidgetItem* it = p ? p->Row(item) : nullptr;
  if (!it) return 0;
  UINT state = 0;
  if (it->isSelected()) state |= LVIS_SELECTED;
  if (p->List().currentItem() == it) state |= LVIS_FOCUSED;
  if (p->Extended() & LVS_EX_CHECKBOXES) state |= plat::CheckStateImage(it);
  return state & mask;
}

BOOL CListCtrl::SetCheck(int item, BOOL check) {
  plat::ListProc* p = ProcOf(*this);
  QTreeWidgetItem* it = p ? p->Row(item) : nullptr;
  if (!it || !(p->Extended() & LVS_EX_CHECKBOXES)) return FALSE;
  it->setCheckState(0, check ? Qt::Checked : Qt::Unchecked);
  return TRUE;
}

BOOL CListCtrl::GetCheck(int item) const {
  plat::ListProc* p = ProcOf(*this);
  QTreeWidgetItem* it = p ? p->Row(item) : nullptr;
  return it && it->checkState(0) == Qt::Checked ? TRUE : FALSE;
}

int CListCtrl::GetNextItem(int start, int flags) const {
  for (int i = std::max(0, start + 1); i < GetItemCount(); ++i) {
    const UINT want = ((flags & LVNI_SELECTED) ? LVIS_SELECTED : 0) | ((flags & LVNI_FOCUSED) ? LVIS_FOCUSED : 0);
    if ((GetItemState(i, want) & want) == want) return i;
  }
  return -1;
}

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg != WM_DRAWITEM) return CWnd::OnChildNotify(msg, wParam, lParam, result);
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  if (result) *result = TRUE;
  return TRUE;
}
