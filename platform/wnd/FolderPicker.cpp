#include "platform/wnd/FolderPicker.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

class QtBrowser : public FolderBrowser {
 public:
  explicit QtBrowser(QFileDialog& dialog) : dialog_(dialog) {}
  void SetSelection(const CString& path) override { dialog_.setDirectory(ToQString(path)); }
  void SetStatusText(const CString& text) override {
    if (!status_) {
      status_ = new QLabel(&dialog_);
      if (auto* grid = qobject_cast<QGridLayout*>(dialog_.layout())) grid->addWidget(status_, grid->rowCount(), 0, 1, -1);
    }
    status_->setText(ToQString(text));
  }

 private:
  QFileDialog& dialog_;
  QLabel* status_ = nullptr;
};

class QtFolderPicker : public IFolderPicker {
 public:
  FolderBrowseResult Browse(HWND owner, const CString& title, UINT, FolderBrowseEvents& events) override {
    Window* w = WindowOf(owner);
    QFileDialog dialog(w ? w->TopLevel()->widget.data() : nullptr, ToQString(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QtBrowser browser(dialog);
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, [&](const QString& path) {
      if (events.selectionChanged) events.selectionChanged(browser, FromQString(path));
    });
    if (events.initialized) events.initialized(browser);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {IDOK, FromQString(dialog.selectedFiles().first())};
  }
};

IFolderPicker* g_picker = nullptr;

}  // namespace

IFolderPicker* SetFolderPicker(IFolderPicker* picker) {
  IFolderPicker* old = g_picker;
  g_picker = picker;
  return old;
}

FolderBrowseResult BrowseForFolder(HWND owner, const CString& title, UINT flags, FolderBrowseEvents& events) {
  static QtFolderPicker qtPicker;
  return (g_picker ? g_picker : &qtPicker)->Browse(owner, title, flags, events);
}

}  // namespace plat
