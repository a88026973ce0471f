// The map page's template and the file written from it. The program carries the page as a
// template (resource 251) without a map key; the key import writes it, with the user's key in the
// map library's address, as "mapdlg.htm", which the map page opens when it exists.
#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

#include "platform/String.h"
#include "platform/Types.h"

namespace mappage {

constexpr UINT kTemplateResource = 251;
// The longest key the import takes; a longer one is cut.
constexpr int kMaxKeyLength = 63;

// "mapdlg.htm" in the program's settings folder.
CString PageFile();
// The template's bytes; empty for an id that is not the template's.
QByteArray TemplateBytes(UINT resourceId);
// The template as the browser loads it (a Qt resource path).
QString TemplateAddress();

// A key goes into a script address of the page, so only letters, digits, '_' and '-' are taken.
bool IsValidKey(std::string_view key);
// Writes the page with "key=<key>&" before its first "v=3." (the map library's version query).
// False, with the file left as it was, for a page without that query, a key that is empty or not
// valid, or a file that could not be written whole.
bool WriteKeyedPage(const QByteArray& page, const CString& path, std::string_view key);
// The same with the template of that id; false for an id that is not the template's.
bool WriteMapPage(UINT resourceId, const CString& path, std::string_view key);
// Makes every folder of the path up to its last '/'; false when one could not be made.
bool MakeDirectories(const CString& path);

// The marker pictures that the page shows, served to it as "player:<name>": the car in each of the
// 16 headings (car-00.png north, then clockwise by 22.5 degrees), the start and the end.
QString CarMarkerName(int heading);
inline constexpr int kHeadingCount = 16;
inline constexpr char kStartMarkerName[] = "start.png";
inline constexpr char kEndMarkerName[] = "end.png";
// The program's own picture of a marker; empty when the program has none.
QByteArray MarkerPicture(const QString& name);

}  // namespace mappage
