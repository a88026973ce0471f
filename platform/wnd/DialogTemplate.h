// Dialog templates: one small JSON file per template id (see rc/dialogs/README.md).
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/String.h"

namespace plat {

struct DialogItem {
  UINT id = 0;
  std::wstring className;
  DWORD style = 0;  // WS_CHILD is always added
  DWORD exStyle = 0;
  CRect rect;  // pixels, in the dialog's client coordinates
  CString text;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  CRect rect;  // the client area: relative to the owner's client area (the parent's for a child)
  CString title;
  std::vector<DialogItem> items;
  bool dialogUnits = false;  // the rectangles are in dialog units, not yet pixels
};

// Style text: names of style constants and numbers (decimal or 0x hex) joined by '|'.
std::optional<DWORD> ParseStyle(const QString& text);
std::optional<DialogTemplate> ParseDialogTemplate(const QByteArray& json, QString* error = nullptr);
// The dialog font's base units: the average width of the Latin letters, rounded up, and the
// font's height (ascent plus descent). A horizontal dialog unit is a quarter of the first, a
// vertical one an eighth of the second.
CSize DialogBaseUnits();
// Turns a template's rectangles from dialog units into pixels: each position and each size
// separately, rounded as MulDiv rounds.
void ConvertDialogUnits(DialogTemplate& t, CSize baseUnits);
// The template <id>.json from the folder set here, else from the Qt resource ":/dialogs/<id>.json",
// in pixels.
std::optional<DialogTemplate> LoadDialogTemplate(UINT id);
void SetDialogTemplateFolder(const QString& folder);

}  // namespace plat
