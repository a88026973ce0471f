// The real browser: a QWebEngineView inside a child window, on a page of its own profile that
// keeps nothing on disk. The window layer places the view and routes its input; files dropped on
// the page go to the top-level window. The web engine starts late: when the browser's window is
// first shown, or once StartWebBrowsers says so, so that the program opens and plays without the
// engine and its processes, which cost it more memory and processor time than the rest together.
#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <vector>

#include <QChildEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>

#include "platform/browser/PageBridge.h"
#include "platform/browser/PageScripts.h"
#include "platform/browser/RequestRouter.h"
#include "platform/browser/WebBrowser.h"
#include "platform/gdi/GdiQt.h"
#include "platform/wnd/DragDrop.h"
#include "platform/wnd/ForeignWidget.h"

// The web engine's own code trips two checks of the address sanitizer that are not ours to mend:
// it frees some objects through a base of another size, and keeps some allocations (its own, the
// font library's, and those of the GL driver and the D-Bus library that the display loads for it)
// until the process ends. Programs that host it are built with these.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\nleak:_dri.so\nleak:libdbus-1.so\n";
}
#endif

namespace plat {
namespace {

bool g_refuseOutside = false;
WebBrowserFactory g_factory;
bool g_started = false;  // StartWebBrowsers was called

// The page that the browser hosts: no dialogs, held to the document it was given, and its
// console's errors written to the program's error output, where a refused map key or a script
// that failed can be read.
class HostPage : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;
  QUrl allowed;

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override {
    if (level != ErrorMessageLevel) return;
    std::fprintf(stderr, "%s: page error: %s (%s:%d)\n", program_invocation_short_name, qUtf8Printable(message),
                 qUtf8Printable(source), line);
  }
  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
  bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    return !isMainFrame || url.adjusted(QUrl::RemoveFragment) == allowed.adjusted(QUrl::RemoveFragment);
  }
};

QWebEngineScript InjectedScript(const QString& name, quint32 world, const QString& source) {
  QWebEngineScript script;
  script.setName(name);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(world);
  script.setRunsOnSubFrames(false);
  script.setSourceCode(source);
  return script;
}

QString WebChannelLibrary() {
  QFile file(":/qtwebchannel/qwebchannel.js");
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The address of a page given as a path or resource name; empty when it is not one we load.
QUrl PageUrl(const QString& page) {
  if (page.startsWith(":/")) return QUrl("qrc" + page);
  if (page.startsWith("qrc:/")) return QUrl(page);
  if (page.startsWith(QString::fromLatin1(kServedScheme) + ':')) return QUrl(page);
  const QFileInfo file(page);
  if (file.isAbsolute() && file.isFile()) return QUrl::fromLocalFile(file.absoluteFilePath());
  return {};
}

// The paths of the local files a drag carries; empty for anything else.
std::vector<CString> DraggedFiles(const QDropEvent& e) {
  std::vector<CString> files;
  if (!e.mimeData() || !e.mimeData()->hasUrls()) return files;
  for (const QUrl& url : e.mimeData()->urls()) {
    if (url.isLocalFile()) files.push_back(LocalFilePath(url));
  }
  return files;
}

bool IsDragStep(QEvent::Type t) { return t == QEvent::DragEnter || t == QEvent::DragMove || t == QEvent::Drop; }

// Files dragged over the page are the top-level window's, as on any child window that takes no
// files itself: they go to its WM_DROPFILES when it accepts files and are refused otherwise; the
// page never loads them. Other drags are the page's. Watches the view and every widget it comes
// to hold.
class FileDropFilter : public QObject {
 public:
  FileDropFilter(CWnd& wnd, QWidget* view) : QObject(view), wnd_(wnd) { Watch(view); }

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::ChildAdded) {
      if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(e)->child())) Watch(child);
      return false;
    }
    if (!IsDragStep(e->type()) || !watched->isWidgetType()) return false;
    auto* drag = static_cast<QDropEvent*>(e);
    const std::vector<CString> files = DraggedFiles(*drag);
    if (files.empty()) return false;
    TakeFiles(*static_cast<QWidget*>(watched), *drag, files);
    return true;
  }

 private:
  void Watch(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
  }

  void TakeFiles(const QWidget& over, QDropEvent& drag, const std::vector<CString>& files) const {
    CWnd* top = TopLevel();
    if (!top || !(top->GetExStyle() & WS_EX_ACCEPTFILES)) {
      drag.ignore();
      return;
    }
    if (drag.type() == QEvent::Drop) {
      const QPoint at = over.mapToGlobal(drag.position().toPoint());
      POINT client{at.x(), at.y()};
      top->ScreenToClient(&client);
      DropFiles(top->m_hWnd, files, client);
    }
    drag.setDropAction(Qt::CopyAction);
    drag.accept();
  }

  CWnd* TopLevel() const {
    CWnd* w = wnd_.m_hWnd ? &wnd_ : nullptr;
    while (w && (w->GetStyle() & WS_CHILD) && w->GetParent()) w = w->GetParent();
    return w;
  }

  CWnd& wnd_;
};

// A key that the page leaves unhandled comes back to the view's parent, the browser's window,
// where it would be a second key press of the window. It went through the windows'
// pre-translation on its way to the page: it goes no further.
class ReturnedKeyFilter : public QObject {
 public:
  explicit ReturnedKeyFilter(QWidget* window) : QObject(window) { window->installEventFilter(this); }

  bool eventFilter(QObject*, QEvent* e) override {
    return (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) && !e->spontaneous();
  }
};

LPCWSTR BrowserClass() {
  WNDCLASSW cls;
  cls.lpszClassName = L"PlatWebBrowser";
  RegisterClass(&cls);
  return cls.lpszClassName;
}

class QtWebBrowser;
std::set<QtWebBrowser*> g_browsers;

// Starts the browser's engine when its window is first shown.
class ShowWatch : public QObject {
 public:
  ShowWatch(QWidget* window, std::function<void()> shown) : QObject(window), shown_(std::move(shown)) {
    window->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Show) shown_();
    return false;
  }

 private:
  std::function<void()> shown_;
};

class QtWebBrowser : public IWebBrowser {
 public:
  explicit QtWebBrowser(IWebBrowserEvents& events);
  ~QtWebBrowser() override;

  // Makes the engine's profile, page and view, and loads the page asked for so far.
  void Start();

  BOOL Create(CWnd* parent, const RECT& rect, UINT id) override;
  CWnd& Wnd() override { return wnd_; }
  bool Navigate(const CString& page) override;
  void SetElementValue(const CString& id, const CString& value) override;
  void GetElementValue(const CString& id, ValueResult done) override;
  void CallScript(const CString& name) override;
  void ServeResource(const CString& name, const QByteArray& mimeType, const QByteArray& data) override;
  void ServeUrl(const CString& urlPrefix, const CString& name) override;
  void HoldUrl(const CString& urlPrefix) override;

 private:
  void ConfigurePage();
  void OnLoading(const QWebEngineLoadingInfo& info);

  IWebBrowserEvents& events_;
  std::shared_ptr<int> alive_ = std::make_shared<int>();
  RequestRouter router_{g_refuseOutside};
  PageBridge bridge_;
  QWebChannel channel_;
  std::unique_ptr<QWebEngineProfile> profile_;  // these three from Start on
  std::unique_ptr<HostPage> page_;
  QPointer<QWebEngineView> view_;  // a child of the window's widget
  CWnd wnd_;
  QUrl pending_;  // the page to load at Start
};

QtWebBrowser::QtWebBrowser(IWebBrowserEvents& events)
    : events_(events), bridge_([this](int time) { events_.OnSelectRoad(time); }) {
  g_browsers.insert(this);
}

QtWebBrowser::~QtWebBrowser() {
  g_browsers.erase(this);
  alive_.reset();
  if (!page_) return;
  // The view, then the page, then its profile: each must go before what it uses.
  delete view_.data();
  page_->disconnect();
  page_.reset();
  profile_.reset();
}

void QtWebBrowser::ConfigurePage() {
  QWebEngineSettings* settings = page_->settings();
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  // The map page is local and draws with a map library from the internet.
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  page_->setUrlRequestInterceptor(&router_);
  channel_.registerObject("host", &bridge_);
  page_->setWebChannel(&channel_, QWebEngineScript::ApplicationWorld);
  page_->scripts().insert(InjectedScript("external", QWebEngineScript::MainWorld, ExternalObjectScript()));
  page_->scripts().insert(
      InjectedScript("bridge", QWebEngineScript::ApplicationWorld, BridgeScript(WebChannelLibrary())));
  QObject::connect(page_.get(), &QWebEnginePage::loadingChanged,
                   [this](const QWebEngineLoadingInfo& info) { OnLoading(info); });
}

void QtWebBrowser::OnLoading(const QWebEngineLoadingInfo& info) {
  const CString url = FromQString(info.url().toString());
  if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) events_.OnDocumentComplete(url);
  if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) events_.OnNavigateError(url);
}

BOOL QtWebBrowser::Create(CWnd* parent, const RECT& rect, UINT id) {
  if (!wnd_.CreateEx(0, BrowserClass(), L"", WS_CHILD | WS_VISIBLE, rect, parent, id)) return FALSE;
  new ReturnedKeyFilter(wnd_.Widget());
  new ShowWatch(wnd_.Widget(), [this] { Start(); });
  if (g_started) Start();
  return TRUE;
}

void QtWebBrowser::Start() {
  if (page_ || !wnd_.m_hWnd) return;
  profile_ = std::make_unique<QWebEngineProfile>();
  if (!QWebEngineUrlScheme::schemeByName(kServedScheme).name().isEmpty())
    profile_->installUrlSchemeHandler(kServedScheme, &router_.SchemeHandler());
  page_ = std::make_unique<HostPage>(profile_.get());
  ConfigurePage();
  view_ = new QWebEngineView;
  view_->setPage(page_.get());
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  new FileDropFilter(wnd_, view_);
  if (!EmbedWidget(wnd_.m_hWnd, view_, ForeignInput::kWidget)) delete view_.data();
  if (!pending_.isEmpty()) {
    page_->allowed = pending_;
    page_->load(pending_);
  }
}

bool QtWebBrowser::Navigate(const CString& page) {
  const QUrl url = PageUrl(ToQString(page));
  if (url.isEmpty()) return false;
  pending_ = url;
  if (!page_) return true;
  page_->allowed = url;
  page_->load(url);
  return true;
}

// Before the engine starts no page is loaded, so there is nothing to write or call.
void QtWebBrowser::SetElementValue(const CString& id, const CString& value) {
  if (!page_) return;
  page_->runJavaScript(SetElementValueScript(ToQString(id), ToQString(value)), QWebEngineScript::MainWorld);
}

// A page that goes with calls still open answers them empty; by then nobody may be told.
void QtWebBrowser::GetElementValue(const CString& id, ValueResult done) {
  if (!page_) {
    QTimer::singleShot(0, [alive = std::weak_ptr<int>(alive_), done = std::move(done)] {
      if (!alive.expired()) done(std::nullopt);
    });
    return;
  }
  page_->runJavaScript(GetElementValueScript(ToQString(id)), QWebEngineScript::MainWorld,
                       [alive = std::weak_ptr<int>(alive_), done = std::move(done)](const QVariant& v) {
                         if (alive.expired()) return;
                         if (v.typeId() == QMetaType::QString) done(FromQString(v.toString()));
                         else done(std::nullopt);
                       });
}

void QtWebBrowser::CallScript(const CString& name) {
  if (!page_) return;
  page_->runJavaScript(CallFunctionScript(ToQString(name)), QWebEngineScript::MainWorld);
}

void QtWebBrowser::ServeResource(const CString& name, const QByteArray& mimeType, const QByteArray& data) {
  router_.Serve(ToQString(name), mimeType, data);
}

void QtWebBrowser::ServeUrl(const CString& urlPrefix, const CString& name) {
  router_.MapUrl(ToQString(urlPrefix), ToQString(name));
}

void QtWebBrowser::HoldUrl(const CString& urlPrefix) { router_.HoldUrl(ToQString(urlPrefix)); }

}  // namespace

std::unique_ptr<IWebBrowser> MakeQtWebBrowser(IWebBrowserEvents& events) {
  return std::make_unique<QtWebBrowser>(events);
}

std::unique_ptr<IWebBrowser> MakeWebBrowser(IWebBrowserEvents& events) {
  return g_factory ? g_factory(events) : MakeQtWebBrowser(events);
}

void StartWebBrowsers() {
  g_started = true;
  for (QtWebBrowser* browser : std::set<QtWebBrowser*>(g_browsers)) browser->Start();
}

WebBrowserFactory SetWebBrowserFactory(WebBrowserFactory factory) { return std::exchange(g_factory, std::move(factory)); }

void PrepareWebBrowser(const WebBrowserSetup& setup) {
  g_refuseOutside = setup.refuseOutsideRequests;
  // The page's view draws in software into the window's own picture. Drawn through OpenGL, it
  // would make the whole top-level window compose through OpenGL on every change of any of its
  // children (the video above all), and a display without OpenGL could not show the window.
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  if (setup.disableSandbox || ::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QWebEngineUrlScheme scheme(kServedScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
  QWebEngineUrlScheme::registerScheme(scheme);
}

}  // namespace plat
