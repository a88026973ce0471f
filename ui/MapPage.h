// The map page's template and the file written from it. The program carries the page as a
// template (resource 251) without a map key; the key import writes it, with the user's key in the
// map API's address, as "mapdlg.htm" in the settings folder (app::MapPagePath), which the map page
// opens when it exists.
#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>
#include <vector>

#include "platform/String.h"
#include "platform/Types.h"

namespace mappage {

constexpr UINT kTemplateResource = 251;
// The longest key the import takes; a longer one is cut.
constexpr int kMaxKeyLength = 63;

// The template's bytes; empty for an id that is not the template's.
QByteArray TemplateBytes(UINT resourceId);
// The template as the browser loads it (a Qt resource path).
QString TemplateAddress();

// A key goes into a script address of the page, so only letters, digits, '_' and '-' are taken.
bool IsValidKey(std::string_view key);
// Writes the page with "key=<key>&" before its first "v=3." (the map API's version query).
// False, with the file left as it was, for a page without that query, a key that is empty or not
// valid, or a file that could not be written whole.
bool WriteKeyedPage(const QByteArray& page, const CString& path, std::string_view key);
// The same with the template of that id; false for an id that is not the template's.
bool WriteMapPage(UINT resourceId, const CString& path, std::string_view key);
// Makes every folder of the path up to its last '/'; false when one could not be made.
bool MakeDirectories(const CString& path);

// A marker picture of the page (the car in each of the 16 headings, the start and the end), served
// to the page as "player:<name>".
struct MarkerPicture {
  QString name;  // "car-00.png" (north) to "car-15.png" clockwise, "start.png", "end.png"
  QByteArray png;
};
// The marker pictures that the program has.
std::vector<MarkerPicture> MarkerPictures();

}  // namespace mappage
