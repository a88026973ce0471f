// Device contexts: text output, DrawText layout and text measuring. Layout happens in device
// pixels with the font realised at its device size; results go back in logical units.
#include <QFontMetrics>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/gdi/Dc.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"

namespace plat {
namespace {

struct FontContext {
  explicit FontContext(const DcState& state)
      : font(RealizeFont(state.attr.font->font, state.scaleY())),
        metrics(font),
        ascent(metrics.ascent()),
        lineHeight(metrics.ascent() + metrics.descent()),
        escapement(state.attr.font->font.lfEscapement) {}
  QFont font;
  QFontMetrics metrics;
  int ascent;
  int lineHeight;
  LONG escapement;
};

// A line of text and the position of the character to underline (-1: none).
struct Run {
  QString text;
  int underline = -1;
};

struct Pen {
  QRgb text;
  QRgb bk;
  bool opaque;
};

// Width of a text; with tab expansion, tabs advance to the next multiple of the tab width.
int WidthOf(const QFontMetrics& metrics, const QString& text, int tabWidth) {
  if (tabWidth <= 0) return metrics.horizontalAdvance(text);
  int x = 0;
  const QStringList parts = text.split(QLatin1Char('\t'));
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) x = (x / tabWidth + 1) * tabWidth;
    x += metrics.horizontalAdvance(parts[i]);
  }
  return x;
}

// Draws a run with its baseline start at `baseline` in the run's own frame, which has its origin
// at the device point `anchor` and is turned by the font's escapement.
void DrawRun(const Target& target, const FontContext& fc, QPoint anchor, QPoint baseline,
             const Run& run, int tabWidth, const std::optional<QRect>& clip, const Pen& pen) {
  if (!target.Drawable()) return;
  QPainter painter(target.image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  QRegion region = target.clip;
  if (clip) region &= clip->translated(target.origin);
  painter.setClipRegion(region);
  painter.translate(anchor + target.origin);
  if (fc.escapement != 0) painter.rotate(-fc.escapement / 10.0);
  const int width = WidthOf(fc.metrics, run.text, tabWidth);
  // Glyphs may overhang their advance and the underline lies below the line: a margin of a line.
  const QRect line(baseline.x(), baseline.y() - fc.ascent, width, fc.lineHeight);
  const int margin = fc.lineHeight;
  target.Touch(painter.transform().mapRect(line.adjusted(-margin, -margin, margin, margin)) & region.boundingRect());
  if (pen.opaque) {
    painter.fillRect(QRect(baseline.x(), baseline.y() - fc.ascent, width, fc.lineHeight),
                     QColor::fromRgb(pen.bk));
  }
  painter.setFont(fc.font);
  painter.setPen(QColor::fromRgb(pen.text));
  const QStringList parts = tabWidth > 0 ? run.text.split(QLatin1Char('\t')) : QStringList{run.text};
  int x = 0;
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) x = (x / tabWidth + 1) * tabWidth;
    painter.drawText(QPoint(baseline.x() + x, baseline.y()), parts[i]);
    x += fc.metrics.horizontalAdvance(parts[i]);
  }
  if (run.underline >= 0 && run.underline < run.text.size()) {
    const int left = WidthOf(fc.metrics, run.text.left(run.underline), tabWidth);
    const int charWidth = fc.metrics.horizontalAdvance(run.text.mid(run.underline, 1));
    const int thickness = std::max(1, fc.metrics.lineWidth());
    painter.fillRect(QRect(baseline.x() + left, baseline.y() + fc.metrics.underlinePos(), charWidth,
                           thickness),
                     QColor::fromRgb(pen.text));
  }
}

Pen PenOf(const DcState& state, const Target& target) {
  return Pen{PixelOf(state.attr.textColor, target.mono), PixelOf(state.attr.bkColor, target.mono),
             state.attr.bkMode == OPAQUE};
}

// '&x' underlines x and "&&" stands for '&'.
Run StripPrefixes(const QString& text) {
  Run run;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) {
      run.text += text[i];
    } else if (i + 1 < text.size()) {
      if (text[i + 1] != QLatin1Char('&')) run.underline = static_cast<int>(run.text.size());
      run.text += text[++i];
    }
  }
  return run;
}

QStringList Paragraphs(const QString& text, UINT format) {
  if (format & DT_SINGLELINE) {
    QString line = text;
    line.remove(QLatin1Char('\r'));
    line.remove(QLatin1Char('\n'));
    return {line};
  }
  QString normal = text;
  normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return normal.split(QLatin1Char('\n'));
}

Run Slice(const Run& run, qsizetype start, qsizetype length) {
  Run part{run.text.mid(start, length), -1};
  if (run.underline >= start && run.underline < start + length) {
    part.underline = static_cast<int>(run.underline - start);
  }
  return part;
}

// Scripts written without spaces between words; their lines break between characters, where the
// line-breaking rules of the text allow it (never before a closing mark, for instance).
bool WrittenWithoutSpaces(QChar c) {
  switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar: return true;
    default: return false;
  }
}

// Where a line may begin, in order: after a run of spaces, and within text of a script written
// without spaces.
std::vector<qsizetype> LineStarts(const QString& text) {
  std::vector<qsizetype> starts;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
  qsizetype boundary = finder.toNextBoundary();
  for (qsizetype p = 1; p < text.size(); ++p) {
    while (boundary >= 0 && boundary < p) boundary = finder.toNextBoundary();
    const bool afterSpaces = text[p - 1] == QLatin1Char(' ') && text[p] != QLatin1Char(' ');
    const bool unspaced = boundary == p && text[p - 1] != QLatin1Char(' ') &&
                          (WrittenWithoutSpaces(text[p - 1]) || WrittenWithoutSpaces(text[p]));
    if (afterSpaces || unspaced) starts.push_back(p);
  }
  return starts;
}

// Greedy breaking at the line starts; a word wider than the line stays whole on a line of its own.
void WrapInto(const Run& paragraph, int maxWidth, const QFontMetrics& metrics, int tabWidth,
              std::vector<Run>& lines) {
  const QString& text = paragraph.text;
  const qsizetype n = text.size();
  const std::vector<qsizetype> starts = LineStarts(text);
  auto next = starts.begin();
  qsizetype start = 0;
  do {
    while (next != starts.end() && *next <= start) ++next;
    qsizetype end = start, resume = n;
    for (auto it = next;; ++it) {
      const qsizetype to = it == starts.end() ? n : *it;
      qsizetype visible = to;
      while (visible > start && text[visible - 1] == QLatin1Char(' ')) --visible;
      const bool fits = WidthOf(metrics, text.mid(start, visible - start), tabWidth) <= maxWidth;
      if (!fits && end > start) break;
      end = visible;
      resume = to;
      if (it == starts.end()) break;
    }
    lines.push_back(Slice(paragraph, start, end - start));
    start = resume;
  } while (start < n);
}

void AddEllipsis(Run& run, int maxWidth, const QFontMetrics& metrics, int tabWidth) {
  if (WidthOf(metrics, run.text, tabWidth) <= maxWidth) return;
  const QString dots = QStringLiteral("...");
  while (!run.text.isEmpty() && WidthOf(metrics, run.text + dots, tabWidth) > maxWidth) {
    run.text.chop(run.text.size() >= 2 && run.text.back().isLowSurrogate() ? 2 : 1);
  }
  if (run.underline >= run.text.size()) run.underline = -1;
  run.text += dots;
}

std::vector<Run> LayOut(const QString& text, UINT format, int maxWidth, const FontContext& fc,
                        int tabWidth) {
  std::vector<Run> lines;
  for (const QString& paragraph : Paragraphs(text, format)) {
    const Run run = (format & DT_NOPREFIX) ? Run{paragraph, -1} : StripPrefixes(paragraph);
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
      WrapInto(run, maxWidth, fc.metrics, tabWidth, lines);
    } else {
      lines.push_back(run);
    }
  }
  if (format & DT_END_ELLIPSIS) {
    for (Run& line : lines) AddEllipsis(line, maxWidth, fc.metrics, tabWidth);
  }
  return lines;
}

int ToLogicalLength(int device, double scale) {
  return static_cast<int>(std::lround(device / (scale > 0 ? scale : 1.0)));
}

}  // namespace
}  // namespace plat

using plat::DcState;

int CDC::DrawText(const CString& text, LPRECT rect, UINT format) {
  return DrawText(text.GetString(), text.GetLength(), rect, format);
}

int CDC::DrawText(LPCTSTR text, int count, LPRECT rect, UINT format) {
  DcState* s = State();
  if (s == nullptr || rect == nullptr || !plat::TextAvailable()) return 0;
  const plat::FontContext fc(*s);
  // An empty rectangle keeps its place: DT_CALCRECT measures from it.
  const QRect box = s->deviceBox(*rect);
  const int tabWidth = (format & DT_EXPANDTABS) ? 8 * fc.metrics.averageCharWidth() : 0;
  const auto lines = plat::LayOut(plat::ToQString(text, count), format, box.width(), fc, tabWidth);
  const int height = static_cast<int>(lines.size()) * fc.lineHeight;
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const auto& line : lines) widest = std::max(widest, plat::WidthOf(fc.metrics, line.text, tabWidth));
    // Broken lines keep the rectangle's width unless a word that cannot be broken is wider.
    const bool keepWidth = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && widest <= box.width();
    const QPoint end = s->toLogical(box.left() + (keepWidth ? box.width() : widest), box.top() + height);
    if (!keepWidth) rect->right = end.x();
    rect->bottom = end.y();
    return plat::ToLogicalLength(height, s->scaleY());
  }
  int y = box.top();
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = (box.top() + box.bottom() + 1 - fc.lineHeight) / 2;
    else if (format & DT_BOTTOM) y = box.bottom() + 1 - fc.lineHeight;
  }
  const plat::Target target = s->target();
  const plat::Pen pen = plat::PenOf(*s, target);
  for (const auto& line : lines) {
    const int width = plat::WidthOf(fc.metrics, line.text, tabWidth);
    int x = box.left();
    if (format & DT_CENTER) x = (box.left() + box.right() + 1 - width) / 2;
    else if (format & DT_RIGHT) x = box.right() + 1 - width;
    plat::DrawRun(target, fc, QPoint(x, y), QPoint(0, fc.ascent), line, tabWidth, box, pen);
    y += fc.lineHeight;
  }
  return plat::ToLogicalLength(height, s->scaleY());
}

BOOL CDC::TextOut(int x, int y, const CString& text) {
  return TextOut(x, y, text.GetString(), text.GetLength());
}

BOOL CDC::TextOut(int x, int y, LPCTSTR text, int count) {
  DcState* s = State();
  if (s == nullptr || !plat::TextAvailable()) return FALSE;
  const plat::FontContext fc(*s);
  const plat::Run run{plat::ToQString(text, count), -1};
  const int width = fc.metrics.horizontalAdvance(run.text);
  const UINT align = s->attr.textAlign;
  int dx = 0;
  if ((align & TA_CENTER) == TA_CENTER) dx = -width / 2;
  else if (align & TA_RIGHT) dx = -width;
  int dy = fc.ascent;
  if ((align & TA_BASELINE) == TA_BASELINE) dy = 0;
  else if (align & TA_BOTTOM) dy = fc.ascent - fc.lineHeight;
  const plat::Target target = s->target();
  plat::DrawRun(target, fc, s->toDevice(x, y), QPoint(dx, dy), run, 0, std::nullopt,
                plat::PenOf(*s, target));
  return TRUE;
}

CSize CDC::GetTextExtent(const CString& text) const {
  return GetTextExtent(text.GetString(), text.GetLength());
}

CSize CDC::GetTextExtent(LPCTSTR text, int count) const {
  const DcState* s = State();
  if (s == nullptr || !plat::TextAvailable()) return CSize();
  const plat::FontContext fc(*s);
  const int width = fc.metrics.horizontalAdvance(plat::ToQString(text, count));
  return CSize(plat::ToLogicalLength(width, s->scaleX()),
               plat::ToLogicalLength(fc.lineHeight, s->scaleY()));
}

BOOL CDC::GetTextMetrics(LPTEXTMETRIC metrics) const {
  const DcState* s = State();
  if (s == nullptr || metrics == nullptr || !plat::TextAvailable()) return FALSE;
  const plat::FontContext fc(*s);
  const LOGFONTW& lf = s->attr.font->font;
  const double sx = s->scaleX(), sy = s->scaleY();
  TEXTMETRICW tm;
  tm.tmHeight = plat::ToLogicalLength(fc.lineHeight, sy);
  tm.tmAscent = plat::ToLogicalLength(fc.ascent, sy);
  tm.tmDescent = tm.tmHeight - tm.tmAscent;
  tm.tmInternalLeading =
      std::max(0, plat::ToLogicalLength(fc.lineHeight - fc.font.pixelSize(), sy));
  tm.tmExternalLeading = plat::ToLogicalLength(std::max(0, fc.metrics.leading()), sy);
  tm.tmAveCharWidth = plat::ToLogicalLength(fc.metrics.averageCharWidth(), sx);
  tm.tmMaxCharWidth = plat::ToLogicalLength(fc.metrics.maxWidth(), sx);
  tm.tmWeight = lf.lfWeight <= 0 ? FW_NORMAL : lf.lfWeight;
  tm.tmDigitizedAspectX = s->caps.dpiX;
  tm.tmDigitizedAspectY = s->caps.dpiY;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFFFC;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = lf.lfItalic;
  tm.tmUnderlined = lf.lfUnderline;
  tm.tmStruckOut = lf.lfStrikeOut;
  tm.tmPitchAndFamily = lf.lfPitchAndFamily;
  tm.tmCharSet = lf.lfCharSet;
  *metrics = tm;
  return TRUE;
}
