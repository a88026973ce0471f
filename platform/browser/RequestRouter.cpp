#include "platform/browser/RequestRouter.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>

#include "platform/browser/WebBrowser.h"

namespace plat {

bool IsLocalScheme(const QString& scheme) {
  for (const char* local : {"file", "qrc", "data", "blob", "about", kServedScheme})
    if (scheme.compare(QLatin1String(local), Qt::CaseInsensitive) == 0) return true;
  return false;
}

void RequestRouter::Serve(const QString& name, const QByteArray& mimeType, const QByteArray& data) {
  resources_[name] = {mimeType, data};
}

void RequestRouter::MapUrl(const QString& prefix, const QString& name) { mapped_.emplace_back(prefix, name); }

void RequestRouter::HoldUrl(const QString& prefix) { held_.push_back(prefix); }

namespace {
// Where held requests go: a served address that no resource can have, whose job is left open.
constexpr char kHeldPath[] = "held/";
}  // namespace

// Called on the UI thread, like every other use of the router.
void RequestRouter::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QUrl url = info.requestUrl();
  const QString address = url.toString();
  for (const QString& prefix : held_) {
    if (address.startsWith(prefix)) {
      info.redirect(QUrl(QString::fromLatin1(kServedScheme) + ':' + kHeldPath));
      return;
    }
  }
  for (const auto& [prefix, name] : mapped_) {
    if (address.startsWith(prefix)) {
      info.redirect(QUrl(QString::fromLatin1(kServedScheme) + ':' + name));
      return;
    }
  }
  if (refuseOutside_ && !IsLocalScheme(url.scheme())) info.block(true);
}

// A held request's job is left unanswered; the engine ends it when the page goes.
void RequestRouter::Handler::requestStarted(QWebEngineUrlRequestJob* job) {
  if (job->requestUrl().path() == kHeldPath) return;
  const auto found = router_.resources_.find(job->requestUrl().path());
  if (found == router_.resources_.end()) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  auto* body = new QBuffer(job);
  body->setData(found->second.data);
  job->reply(found->second.mimeType, body);
}

}  // namespace plat
