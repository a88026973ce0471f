// The embedded browser of the map page: a web page in a child window, loaded from a local file, a
// Qt resource or a resource that the program serves. The program writes and reads the page's input
// values by element id and calls the page's script functions by name; the page reaches the program
// through one method only, external.OnSelectRoad(time). Dialogs stay silent, the page's console
// errors go to the program's error output, a local page cannot read other local files, and the
// page cannot navigate itself away.
//
// Everything runs on the UI thread: calls, results and notices.
#pragma once

#include <QByteArray>
#include <functional>
#include <memory>
#include <optional>

#include "platform/String.h"
#include "platform/wnd/Wnd.h"

namespace plat {

// What the page tells its owner (the map page's dialog).
class IWebBrowserEvents {
 public:
  virtual ~IWebBrowserEvents() = default;
  // A page finished loading; the url is the page's.
  virtual void OnDocumentComplete(const CString& url) = 0;
  // A page could not be loaded (a missing file, a refused or unknown address).
  virtual void OnNavigateError(const CString& url) = 0;
  // The page called external.OnSelectRoad with a number (taken as a 32-bit integer).
  virtual void OnSelectRoad(int videoTime) = 0;
};

// Served resources are reached as "player:<name>".
inline constexpr char kServedScheme[] = "player";

class IWebBrowser {
 public:
  virtual ~IWebBrowser() = default;

  // Creates the browser's window as a child of the parent (rect in the parent's client area).
  virtual BOOL Create(CWnd* parent, const RECT& rect, UINT id) = 0;
  // The browser's window, for placing and showing it.
  virtual CWnd& Wnd() = 0;
  // Starts loading a page: the path of a local file that exists, a Qt resource (":/..." or
  // "qrc:/..."), or a served resource ("player:<name>"). False, with no notice, for anything else.
  virtual bool Navigate(const CString& page) = 0;

  // Calls run in order, after the page has done what it was doing. Writing an element that the
  // page does not have does nothing; reading one gives nothing.
  virtual void SetElementValue(const CString& id, const CString& value) = 0;
  using ValueResult = std::function<void(std::optional<CString>)>;
  // The result comes later, on the UI thread; never after the browser is gone.
  virtual void GetElementValue(const CString& id, ValueResult done) = 0;
  // Calls the page's function of that name with no arguments; a name that the page does not
  // define, or a function that throws, does nothing.
  virtual void CallScript(const CString& name) = 0;

  // Serves the bytes as "player:<name>" to the page (the page's own images, a page itself).
  virtual void ServeResource(const CString& name, const QByteArray& mimeType, const QByteArray& data) = 0;
  // Requests whose address begins with the prefix get the served resource of that name instead.
  virtual void ServeUrl(const CString& urlPrefix, const CString& name) = 0;
  // Requests whose address begins with the prefix are taken and never answered, as by a server
  // that accepts and then stays silent (a page tried on a stalled network).
  virtual void HoldUrl(const CString& urlPrefix) = 0;
};

// The real browser's web engine starts when its window is first shown, so that a program whose
// page is never shown never starts it, or at once for all browsers, those made so far and those
// made later, once this is called (tests of pages that they do not show). Until then a page asked
// for is loaded later, and writes and calls reach no page. UI thread.
void StartWebBrowsers();

// The browser of a page: the installed factory's, else the real one.
std::unique_ptr<IWebBrowser> MakeWebBrowser(IWebBrowserEvents& events);
// The real browser, on QtWebEngine.
std::unique_ptr<IWebBrowser> MakeQtWebBrowser(IWebBrowserEvents& events);

using WebBrowserFactory = std::function<std::unique_ptr<IWebBrowser>(IWebBrowserEvents&)>;
// Installs a factory (empty: the real browser again); returns the previous one.
WebBrowserFactory SetWebBrowserFactory(WebBrowserFactory factory);

struct WebBrowserSetup {
  // Every request to an address outside the program fails at once (tests: no waiting for a
  // network that is not there).
  bool refuseOutsideRequests = false;
  // The engine's sandbox off; it is always off for a program run as root, where it cannot start.
  bool disableSandbox = false;
};
// Call once before the QApplication exists: registers the scheme of served resources and
// prepares the web engine. The page then draws in software, so that the window that holds it
// composes by raster and shows where the display has no OpenGL.
void PrepareWebBrowser(const WebBrowserSetup& setup = {});

}  // namespace plat
