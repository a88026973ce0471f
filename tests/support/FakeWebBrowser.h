// A browser without a web engine, for tests of the windows that host a page: the page is a table
// of input values and a list of the functions called; the test plays the page's part. While a
// FakeWebBrowsers exists, MakeWebBrowser makes fakes.
#pragma once

#include <map>
#include <vector>

#include "platform/browser/WebBrowser.h"

namespace plat::test {

class FakeWebBrowser : public IWebBrowser {
 public:
  explicit FakeWebBrowser(IWebBrowserEvents& events) : events_(events) {}

  // A plain child window stands in for the page.
  BOOL Create(CWnd* parent, const RECT& rect, UINT id) override;
  CWnd& Wnd() override { return wnd_; }
  // Takes any page that is not empty; nothing loads until the test says.
  bool Navigate(const CString& page) override;
  void SetElementValue(const CString& id, const CString& value) override;
  // Answers from the table when the UI thread next runs its posted events (the test's Pump).
  void GetElementValue(const CString& id, ValueResult done) override;
  void CallScript(const CString& name) override { calls.push_back(name); }
  void ServeResource(const CString& name, const QByteArray& mimeType, const QByteArray& data) override;
  void ServeUrl(const CString& urlPrefix, const CString& name) override { mappedUrls[urlPrefix] = name; }
  void HoldUrl(const CString& urlPrefix) override { heldUrls.push_back(urlPrefix); }

  // The page's part: the last page navigated to finishes loading (or fails); the page calls back.
  void FinishLoad(bool ok);
  void PageCallsSelectRoad(int videoTime) { events_.OnSelectRoad(videoTime); }

  // The page's inputs by id: only ids present here are elements of the page.
  std::map<CString, CString> values;
  std::vector<CString> calls;
  std::vector<CString> navigations;
  std::map<CString, QByteArray> served;
  std::map<CString, CString> mappedUrls;
  std::vector<CString> heldUrls;
  int valueWrites = 0;  // SetElementValue calls, of elements the page has or not

 private:
  IWebBrowserEvents& events_;
  CWnd wnd_;
  std::shared_ptr<int> alive_ = std::make_shared<int>();
};

// Makes MakeWebBrowser give fakes while it exists; the last one made is at hand.
class FakeWebBrowsers {
 public:
  FakeWebBrowsers();
  ~FakeWebBrowsers();
  FakeWebBrowsers(const FakeWebBrowsers&) = delete;
  FakeWebBrowsers& operator=(const FakeWebBrowsers&) = delete;

  FakeWebBrowser* Last() const { return last_; }

 private:
  FakeWebBrowser* last_ = nullptr;
  WebBrowserFactory previous_;
};

}  // namespace plat::test
