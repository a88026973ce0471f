#include "platform/wnd/DialogTemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

#include "platform/gdi/Dc.h"
#include "platform/wnd/Window.h"

// The templates built into the layer's library (outside any namespace, as Qt asks).
static void RegisterBuiltInTemplates() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(player_dialog_templates);
    return true;
  }();
  (void)registered;
}

namespace plat {
namespace {

QString g_folder;

const std::map<QString, DWORD>& StyleNames() {
  static const std::map<QString, DWORD> names = {
      {"WS_POPUP", WS_POPUP}, {"WS_CHILD", WS_CHILD}, {"WS_VISIBLE", WS_VISIBLE}, {"WS_DISABLED", WS_DISABLED},
      {"WS_CLIPSIBLINGS", WS_CLIPSIBLINGS}, {"WS_CLIPCHILDREN", WS_CLIPCHILDREN}, {"WS_CAPTION", WS_CAPTION},
      {"WS_BORDER", WS_BORDER}, {"WS_DLGFRAME", WS_DLGFRAME}, {"WS_VSCROLL", WS_VSCROLL}, {"WS_HSCROLL", WS_HSCROLL},
      {"WS_SYSMENU", WS_SYSMENU}, {"WS_THICKFRAME", WS_THICKFRAME}, {"WS_GROUP", WS_GROUP}, {"WS_TABSTOP", WS_TABSTOP},
      {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_MINIMIZEBOX", WS_MINIMIZEBOX}, {"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX},
      {"WS_OVERLAPPEDWINDOW", WS_OVERLAPPEDWINDOW}, {"WS_POPUPWINDOW", WS_POPUPWINDOW},
      {"WS_EX_TOPMOST", WS_EX_TOPMOST}, {"WS_EX_ACCEPTFILES", WS_EX_ACCEPTFILES},
      {"WS_EX_TRANSPARENT", WS_EX_TRANSPARENT}, {"WS_EX_TOOLWINDOW", WS_EX_TOOLWINDOW},
      {"WS_EX_CLIENTEDGE", WS_EX_CLIENTEDGE}, {"WS_EX_STATICEDGE", WS_EX_STATICEDGE}, {"WS_EX_LAYERED", WS_EX_LAYERED},
      {"WS_EX_APPWINDOW", WS_EX_APPWINDOW}, {"WS_EX_WINDOWEDGE", WS_EX_WINDOWEDGE},
      {"WS_EX_DLGMODALFRAME", WS_EX_DLGMODALFRAME}, {"WS_EX_NOPARENTNOTIFY", WS_EX_NOPARENTNOTIFY},
      {"WS_EX_CONTROLPARENT", WS_EX_CONTROLPARENT},
      {"DS_CENTER", DS_CENTER}, {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_SETFONT", DS_SETFONT}, {"DS_FIXEDSYS", DS_FIXEDSYS},
      {"DS_SHELLFONT", DS_SHELLFONT}, {"DS_3DLOOK", DS_3DLOOK}, {"DS_CONTROL", DS_CONTROL},
      {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON}, {"BS_CHECKBOX", BS_CHECKBOX},
      {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX}, {"BS_RADIOBUTTON", BS_RADIOBUTTON}, {"BS_3STATE", BS_3STATE},
      {"BS_AUTO3STATE", BS_AUTO3STATE}, {"BS_GROUPBOX", BS_GROUPBOX}, {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON},
      {"BS_OWNERDRAW", BS_OWNERDRAW},
      {"SS_LEFT", SS_LEFT}, {"SS_CENTER", SS_CENTER}, {"SS_RIGHT", SS_RIGHT}, {"SS_SIMPLE", SS_SIMPLE},
      {"SS_LEFTNOWORDWRAP", SS_LEFTNOWORDWRAP}, {"SS_OWNERDRAW", SS_OWNERDRAW}, {"SS_BITMAP", SS_BITMAP},
      {"SS_NOTIFY", SS_NOTIFY},
      {"SS_CENTERIMAGE", SS_CENTERIMAGE}, {"SS_SUNKEN", SS_SUNKEN},
      {"ES_LEFT", ES_LEFT}, {"ES_CENTER", ES_CENTER}, {"ES_RIGHT", ES_RIGHT}, {"ES_UPPERCASE", ES_UPPERCASE},
      {"ES_LOWERCASE", ES_LOWERCASE}, {"ES_PASSWORD", ES_PASSWORD}, {"ES_AUTOHSCROLL", ES_AUTOHSCROLL},
      {"ES_READONLY", ES_READONLY}, {"ES_NUMBER", ES_NUMBER},
      {"CBS_DROPDOWN", CBS_DROPDOWN}, {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST}, {"CBS_SORT", CBS_SORT},
      {"CBS_AUTOHSCROLL", CBS_AUTOHSCROLL}, {"CBS_HASSTRINGS", CBS_HASSTRINGS},
      {"LVS_REPORT", LVS_REPORT}, {"LVS_SINGLESEL", LVS_SINGLESEL}, {"LVS_SHOWSELALWAYS", LVS_SHOWSELALWAYS},
      {"LVS_OWNERDRAWFIXED", LVS_OWNERDRAWFIXED}, {"LVS_NOSORTHEADER", LVS_NOSORTHEADER},
      {"DTS_SHORTDATEFORMAT", DTS_SHORTDATEFORMAT}, {"DTS_LONGDATEFORMAT", DTS_LONGDATEFORMAT},
      {"DTS_TIMEFORMAT", DTS_TIMEFORMAT}, {"DTS_UPDOWN", DTS_UPDOWN}, {"PBS_SMOOTH", PBS_SMOOTH},
  };
  return names;
}

std::optional<DWORD> StyleOf(const QJsonValue& v) {
  if (v.isUndefined() || v.isNull()) return DWORD{0};
  if (v.isDouble()) return static_cast<DWORD>(v.toDouble());
  if (!v.isString()) return std::nullopt;
  return ParseStyle(v.toString());
}

std::optional<CRect> RectOf(const QJsonValue& v) {
  const QJsonArray a = v.toArray();
  if (a.size() != 4) return std::nullopt;
  for (const QJsonValue& n : a) {
    if (!n.isDouble()) return std::nullopt;
  }
  const int x = a[0].toInt(), y = a[1].toInt(), w = a[2].toInt(), h = a[3].toInt();
  if (w < 0 || h < 0) return std::nullopt;
  return CRect(x, y, x + w, y + h);
}

bool Fail(QString* error, const QString& text) {
  if (error) *error = text;
  return false;
}

bool ParseItem(const QJsonObject& o, DialogItem& item, QString* error) {
  const std::optional<DWORD> style = StyleOf(o.value("style"));
  const std::optional<DWORD> exStyle = StyleOf(o.value("exStyle"));
  const std::optional<CRect> rect = RectOf(o.value("rect"));
  const QString cls = o.value("class").toString();
  if (!style || !exStyle) return Fail(error, "bad control style");
  if (!rect) return Fail(error, "a control needs \"rect\": [x, y, width, height]");
  if (cls.isEmpty()) return Fail(error, "a control needs a \"class\"");
  const double id = o.value("id").toDouble(-1);
  if (id < 0 || id > 0xFFFF) return Fail(error, "a control needs an \"id\" from 0 to 65535");
  item.id = static_cast<UINT>(id);
  item.className = cls.toStdWString();
  item.style = *style | WS_CHILD;
  item.exStyle = *exStyle;
  item.rect = *rect;
  item.text = FromQString(o.value("text").toString());
  return true;
}

}  // namespace

std::optional<DWORD> ParseStyle(const QString& text) {
  DWORD style = 0;
  for (QString part : text.split('|', Qt::SkipEmptyParts)) {
    part = part.trimmed();
    bool ok = false;
    const uint n = part.startsWith("0x", Qt::CaseInsensitive) ? part.mid(2).toUInt(&ok, 16) : part.toUInt(&ok, 10);
    if (ok) {
      style |= n;
      continue;
    }
    auto it = StyleNames().find(part);
    if (it == StyleNames().end()) return std::nullopt;
    style |= it->second;
  }
  return style;
}

std::optional<DialogTemplate> ParseDialogTemplate(const QByteArray& json, QString* error) {
  QJsonParseError perr;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &perr);
  if (!doc.isObject()) {
    Fail(error, perr.errorString());
    return std::nullopt;
  }
  const QJsonObject root = doc.object();
  DialogTemplate t;
  const std::optional<DWORD> style = StyleOf(root.value("style"));
  const std::optional<DWORD> exStyle = StyleOf(root.value("exStyle"));
  const std::optional<CRect> rect = RectOf(root.value("rect"));
  if (!style || !exStyle || !rect) {
    Fail(error, "a template needs a valid \"style\" and \"rect\": [x, y, width, height]");
    return std::nullopt;
  }
  t.style = *style;
  t.exStyle = *exStyle;
  t.rect = *rect;
  const QString units = root.value("units").toString("pixels");
  if (units != "pixels" && units != "dialog") {
    Fail(error, "\"units\" is \"pixels\" or \"dialog\"");
    return std::nullopt;
  }
  t.dialogUnits = units == "dialog";
  t.title = FromQString(root.value("title").toString());
  for (const QJsonValue& v : root.value("controls").toArray()) {
    DialogItem item;
    if (!ParseItem(v.toObject(), item, error)) return std::nullopt;
    t.items.push_back(std::move(item));
  }
  return t;
}

CSize DialogBaseUnits() {
  static const CSize units = [] {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    const LOGFONTW description = MessageFont();
    CFont font;
    font.CreateFontIndirect(&description);
    dc.SelectObject(&font);
    const CSize letters = dc.GetTextExtent(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    TEXTMETRIC metrics{};
    dc.GetTextMetrics(&metrics);
    // Rounded up, not to the nearest: the layouts were made for a narrower face than ours, and
    // their texts must still fit.
    return CSize((letters.cx + 51) / 52, metrics.tmHeight);
  }();
  return units;
}

void ConvertDialogUnits(DialogTemplate& t, CSize baseUnits) {
  if (!t.dialogUnits) return;
  const auto toPixels = [&](CRect& r) {
    const int x = MulDiv(r.left, baseUnits.cx, 4);
    const int y = MulDiv(r.top, baseUnits.cy, 8);
    r = CRect(x, y, x + MulDiv(r.Width(), baseUnits.cx, 4), y + MulDiv(r.Height(), baseUnits.cy, 8));
  };
  toPixels(t.rect);
  for (DialogItem& item : t.items) toPixels(item.rect);
  t.dialogUnits = false;
}

std::optional<DialogTemplate> LoadDialogTemplate(UINT id) {
  RegisterBuiltInTemplates();
  const QString name = QString::number(id) + ".json";
  for (const QString& path : {g_folder.isEmpty() ? QString() : g_folder + "/" + name, ":/dialogs/" + name}) {
    if (path.isEmpty()) continue;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) continue;
    std::optional<DialogTemplate> t = ParseDialogTemplate(f.readAll());
    if (t) ConvertDialogUnits(*t, DialogBaseUnits());
    return t;
  }
  return std::nullopt;
}

void SetDialogTemplateFolder(const QString& folder) { g_folder = folder; }

}  // namespace plat
