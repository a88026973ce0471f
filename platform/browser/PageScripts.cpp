#include "platform/browser/PageScripts.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace plat {
namespace {

// The document event between the page's world and the bridge's.
constexpr char kSelectRoadEvent[] = "player-select-road";

// A script that applies `body` to `args`, an array of the given strings.
QString WithArguments(const QString& body, const QJsonArray& args) {
  const QString json = QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact));
  return "(function (a) {" + body + "})(" + json + ");";
}

}  // namespace

QString ExternalObjectScript() {
  return QString(R"((function () {
  var external = Object.freeze({
    OnSelectRoad: function (time) {
      var n = Number(time);
      if (isFinite(n)) document.dispatchEvent(new CustomEvent('%1', { detail: n }));
    }
  });
  Object.defineProperty(window, 'external', { value: external, writable: true, configurable: true });
})();)")
      .arg(kSelectRoadEvent);
}

QString BridgeScript(const QString& webChannelLibrary) {
  return webChannelLibrary + QString(R"(
(function () {
  var host = null;
  var waiting = [];
  new QWebChannel(qt.webChannelTransport, function (channel) {
    host = channel.objects.host;
    waiting.forEach(function (time) { host.OnSelectRoad(time); });
    waiting = [];
  });
  document.addEventListener('%1', function (event) {
    var n = event.detail;
    if (typeof n !== 'number' || !isFinite(n)) return;
    if (host) host.OnSelectRoad(n | 0); else waiting.push(n | 0);
  });
})();)")
                                 .arg(kSelectRoadEvent);
}

QString SetElementValueScript(const QString& id, const QString& value) {
  return WithArguments("var e = document.getElementById(a[0]); if (e && 'value' in e) e.value = a[1];", {id, value});
}

QString GetElementValueScript(const QString& id) {
  return WithArguments("var e = document.getElementById(a[0]); return e && 'value' in e ? String(e.value) : null;",
                       {id});
}

QString CallFunctionScript(const QString& name) {
  return WithArguments("var f = window[a[0]]; if (typeof f === 'function') { try { f(); } catch (x) {} }", {name});
}

}  // namespace plat
