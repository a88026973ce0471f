// The scripts that the browser runs in its pages. Names and values are handed to them as JSON
// strings, so no text of the program or the page can change what a script does.
#pragma once

#include <QString>

namespace plat {

// Injected into the page's own script world at document creation: window.external with the one
// method, which hands a finite number to the bridge world as a document event.
QString ExternalObjectScript();
// Injected into the bridge's world: the web channel's client, and the listener that passes the
// document event on to the one object on the channel.
QString BridgeScript(const QString& webChannelLibrary);

QString SetElementValueScript(const QString& id, const QString& value);
// Gives the element's value as text, or null when the page has no such element.
QString GetElementValueScript(const QString& id);
QString CallFunctionScript(const QString& name);

}  // namespace plat
