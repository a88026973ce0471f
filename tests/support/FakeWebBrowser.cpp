#include "tests/support/FakeWebBrowser.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace plat::test {

BOOL FakeWebBrowser::Create(CWnd* parent, const RECT& rect, UINT id) {
  return wnd_.CreateEx(0, L"Static", L"", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

bool FakeWebBrowser::Navigate(const CString& page) {
  if (page.IsEmpty()) return false;
  navigations.push_back(page);
  return true;
}

void FakeWebBrowser::SetElementValue(const CString& id, const CString& value) {
  ++valueWrites;
  const auto found = values.find(id);
  if (found != values.end()) found->second = value;
}

void FakeWebBrowser::GetElementValue(const CString& id, ValueResult done) {
  const auto found = values.find(id);
  const std::optional<CString> value = found == values.end() ? std::nullopt : std::optional<CString>(found->second);
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [alive = std::weak_ptr<int>(alive_), done = std::move(done), value] {
        if (!alive.expired()) done(value);
      },
      Qt::QueuedConnection);
}

void FakeWebBrowser::ServeResource(const CString& name, const QByteArray&, const QByteArray& data) {
  served[name] = data;
}

void FakeWebBrowser::FinishLoad(bool ok) {
  const CString url = navigations.empty() ? CString() : navigations.back();
  if (ok) events_.OnDocumentComplete(url);
  else events_.OnNavigateError(url);
}

FakeWebBrowsers::FakeWebBrowsers()
    : previous_(SetWebBrowserFactory([this](IWebBrowserEvents& events) {
        auto fake = std::make_unique<FakeWebBrowser>(events);
        last_ = fake.get();
        return std::unique_ptr<IWebBrowser>(std::move(fake));
      })) {}

FakeWebBrowsers::~FakeWebBrowsers() { SetWebBrowserFactory(std::move(previous_)); }

}  // namespace plat::test
