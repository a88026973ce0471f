#include "tools/skingen/Catalogue.h"

#include <QSet>
#include <optional>

#include "layout/PanelLayout.h"
#include "layout/SkinIds.h"
#include "tools/skingen/Backgrounds.h"
#include "tools/skingen/Pictures.h"
#include "tools/skingen/Sliders.h"

namespace skingen {
namespace {

struct ButtonArt {
  int id;
  const char* glyph;
  const char* look;
};

constexpr ButtonArt kButtons[] = {
    {141, "prev-file", "transport"},      {142, "next-file", "transport"},      {143, "prev-frame", "transport"},
    {144, "next-frame", "transport"},     {145, "backward-play", "transport"},  {146, "play", "transport"},
    {147, "pause", "transport"},          {148, "stop", "transport"},           {2422, "restart", "transport"},
    {1759, "speed-up", "transport"},      {1760, "speed-down", "transport"},    {150, "playback", "tool"},
    {151, "configuration", "tool"},       {153, "backup", "tool"},              {154, "format", "tool"},
    {188, "snapshot", "tool"},            {1761, "gsensor", "tool"},            {2126, "calendar", "tool"},
    {1549, "map", "tool"},                {1781, "compass", "tool"},            {135, "minimise", "caption"},
    {136, "close", "close"},              {1782, "close", "close"},             {2406, "menu", "caption"},
    {2405, "restore", "caption"},         {1777, "maximise", "caption"},        {1745, "minimise", "caption"},
    {1764, "lock", "tool"},               {1765, "unlock", "tool"},             {239, "volume-down", "tool"},
    {240, "volume-up", "tool"},           {1735, "sound-on", "tool"},           {1736, "sound-off", "tool"},
    {1770, "sound-on", "lit"},            {1771, "sound-off", "lit"},           {2008, "mark-save", "tool"},
    {2404, "wifi", "tool"},               {2429, "map-key", "tool"},            {2413, "car-type", "tool"},
    {2414, "brakes", "tool"},             {2415, "passenger", "tool"},          {2403, "map-view", "tool"},
    {2407, "speed-panel", "tool"},        {2408, "volume-panel", "tool"},       {2416, "record-list", "tool"},
    {2417, "speed-view", "tool"},         {2401, "slower", "tool"},             {2402, "faster", "tool"},
    {2418, "audio-1", "tool"},            {2419, "audio-2", "tool"},            {2420, "layout-4", "tool"},
    {2421, "layout-8", "tool"},           {2411, "full-video", "tool"},         {2412, "full-video-swap", "tool"},
    {2409, "swap", "tool"},               {2410, "swap-vertical", "tool"},      {2423, "record-list", "tab-active"},
    {2425, "record-list", "tab"},         {2424, "map", "tab-active"},          {2426, "map", "tab"},
    {2427, "settings-list", "tab-active"}, {2428, "settings-list", "tab"},
};

const ButtonArt* FindButton(int id) {
  for (const ButtonArt& b : kButtons) {
    if (b.id == id) return &b;
  }
  return nullptr;
}

// The thumb that slides over a speed track of this width.
int SpeedThumbWidth(int trackWidth) {
  for (const ui::SpeedPanelSkins& s : ui::kSpeedPanelSkins) {
    if (s.trackWidth == trackWidth) return ui::FindSkinImage(s.thumb)->width;
  }
  return 0;
}

std::optional<QImage> Track(Context& c, const ui::SkinImage& e) {
  const QSize size(e.width, e.height);
  switch (e.id) {
    case 181:
    case 226:
    case 234:
      return TrackStrip(c, size, e.frames, false, {9, SpeedThumbWidth(e.width), false});
    case 184:
      return TrackStrip(c, size, e.frames, false, {});
    case 186:
      return TrackStrip(c, size, e.frames, true, {});
    case 1574:
    case 1578:
      return TrackStrip(c, size, e.frames, false, {0, 0, true});
    case 183:
    case 1292:
    case 1293:
      return PositionThumb(c, size);
    case 219:
    case 1290:
    case 1291:
      return LevelThumb(c, size, false);
    case 185:
      return LevelThumb(c, size, true);
    case 1576:
    case 1577:
      return RangeThumb(c, size, e.id == 1577);
    case 2130:
    case 2131:
    case 2132:
      return VolumeBars(c, size).second;
    case 2133:
    case 2134:
    case 2135:
      return VolumeBars(c, size).first;
    default:
      return std::nullopt;
  }
}

std::optional<QImage> Background(Context& c, int id) {
  for (int mode = 0; mode < ui::kUiModeCount; ++mode) {
    const auto m = static_cast<size_t>(mode);
    if (id == ui::kBackground[m]) return MainBackground(c, mode, false, true);
    if (id == ui::kBackgroundNoMark[m]) return MainBackground(c, mode, false, false);
    if (id == ui::kSecondBackground[m]) return MainBackground(c, mode, true, true);
    if (id == ui::kSecondBackgroundNoMark[m]) return MainBackground(c, mode, true, false);
    if (id == ui::kSpeedPanelSkins[m].skin) return SpeedPanelBackground(c, mode);
  }
  switch (id) {
    case 1702:
      return VideoPanelBackground(c);
    case 1898:
      return GsensorPanelBackground(c);
    case 1785:
      return CalendarPanelBackground(c);
    case 2058:
      return VolumePanelBackground(c);
    case 1540:
      return CarDataPanelBackground(c);
    default:
      return std::nullopt;
  }
}

std::optional<QImage> Other(Context& c, const ui::SkinImage& e) {
  const QSize size(e.width, e.height);
  if (e.id >= ui::kCarDataOffPicture && e.id < ui::kCarDataOffPicture + ui::kCarDataInputs) {
    return CarDataSign(c, size, e.id - ui::kCarDataOffPicture, false);
  }
  if (e.id >= ui::kCarDataOnPicture && e.id < ui::kCarDataOnPicture + ui::kCarDataInputs) {
    return CarDataSign(c, size, e.id - ui::kCarDataOnPicture, true);
  }
  switch (e.id) {
    case 180:
    case 223:
    case 231:
      return GraphPicture(c, size);
    case 216:
    case 222:
    case 230:
      return CompassPicture(c, size, e.id == ui::kCompassPanel.background);
    case ui::kCompassNeedle:
      return CompassNeedle(c, size);
    case 1797:
      return TitleStrip(c, size, e.frames);
    case 1798:
      return CaptionStrip(c, size, e.frames, "Video Speed");
    case 1799:
      return CaptionStrip(c, size, e.frames, "Car Speed");
    case 1806:
      return SideBarStrip(c, size, e.frames, "shift-right");
    case 1807:
      return SideBarStrip(c, size, e.frames, "shift-left");
    default:
      return Background(c, e.id);
  }
}

std::optional<QImage> Draw(Context& c, const ui::SkinImage& e) {
  if (const ButtonArt* b = FindButton(e.id)) {
    const Look look = c.design.LookNamed(b->look);
    return ButtonStrip(c, look, QSize(e.width, e.height), e.frames, GlyphFace(c, b->glyph, look.glyphScale));
  }
  if (auto image = Track(c, e)) return image;
  return Other(c, e);
}

}  // namespace

std::vector<Picture> DrawAll(Context& c, QStringList& errors) {
  std::vector<Picture> out;
  QSet<int> seen;
  for (const ui::SkinImage& e : ui::kSkinImages) {
    const bool plain = !seen.contains(e.id);
    seen.insert(e.id);
    const QString path = plain ? QStringLiteral("bitmaps/%1.png").arg(e.id)
                               : QStringLiteral("bitmaps/%1@%2x%3.png").arg(e.id).arg(e.width).arg(e.height);
    const std::optional<QImage> image = Draw(c, e);
    if (!image) {
      errors << QStringLiteral("no drawing for bitmap %1").arg(e.id);
    } else if (image->size() != QSize(e.width * e.frames, e.height)) {
      errors << QStringLiteral("%1 is %2 x %3").arg(path).arg(image->width()).arg(image->height());
    } else {
      out.push_back({path, *image});
    }
  }
  for (int heading = 0; heading < ui::kMapHeadingCount; ++heading) {
    out.push_back({QString::asprintf(ui::kMapCarMarkerPattern, heading).mid(2), MapCarMarker(c, heading)});
  }
  out.push_back({QString(ui::kMapStartMarker).mid(2), MapPin(c, false)});
  out.push_back({QString(ui::kMapEndMarker).mid(2), MapPin(c, true)});
  out.push_back({QString(ui::kProgramIconLarge).mid(2), ProgramIcon(c, 48)});
  out.push_back({QString(ui::kProgramIconSmall).mid(2), ProgramIcon(c, 16)});
  return out;
}

}  // namespace skingen
