// The browser's handling of the page's requests: resources that the program serves under the
// "player:" scheme, outside addresses mapped onto them or held unanswered, and, where asked, every
// other outside address refused at once.
#pragma once

#include <QByteArray>
#include <QString>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>
#include <map>
#include <utility>
#include <vector>

namespace plat {

class RequestRouter : public QWebEngineUrlRequestInterceptor {
 public:
  explicit RequestRouter(bool refuseOutside) : refuseOutside_(refuseOutside) {}

  void Serve(const QString& name, const QByteArray& mimeType, const QByteArray& data);
  void MapUrl(const QString& prefix, const QString& name);
  void HoldUrl(const QString& prefix);
  QWebEngineUrlSchemeHandler& SchemeHandler() { return handler_; }

  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  class Handler : public QWebEngineUrlSchemeHandler {
   public:
    explicit Handler(RequestRouter& router) : router_(router) {}
    void requestStarted(QWebEngineUrlRequestJob* job) override;

   private:
    RequestRouter& router_;
  };

  struct Resource {
    QByteArray mimeType;
    QByteArray data;
  };

  bool refuseOutside_;
  std::map<QString, Resource> resources_;
  std::vector<std::pair<QString, QString>> mapped_;  // address prefix, resource name
  std::vector<QString> held_;                         // address prefixes never answered
  Handler handler_{*this};
};

// Schemes that stay inside the program and the machine; everything else is an outside address.
bool IsLocalScheme(const QString& scheme);

}  // namespace plat
