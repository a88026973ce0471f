#include "controls/DigiChar.h"

#include <iterator>

#include "platform/gdi/Dc.h"

namespace {

// An outline of the design grid: points with their kinds.
struct Outline {
  const POINT* points;
  const BYTE* kinds;
  int count;
};

template <size_t N>
constexpr Outline MakeOutline(const POINT (&points)[N], const BYTE (&kinds)[N]) {
  return {points, kinds, static_cast<int>(N)};
}

constexpr BYTE M = kSegmentMoveTo;
constexpr BYTE L = kSegmentLineTo;
constexpr BYTE C = kSegmentCurve;

// 14-segment outlines.
constexpr POINT kCentreSharp[] = {{20, 13}, {20, 36}, {24, 40}, {28, 36}, {28, 13}};
constexpr BYTE kCentreSharpK[] = {M, L, L, L, L};
constexpr POINT kDiagonalSharp[] = {{5, 5}, {15, 35}, {20, 37}, {18, 25}};
constexpr BYTE kDiagonalSharpK[] = {M, L, L, L};
constexpr POINT kHalfSharp[] = {{6, 41}, {14, 45}, {18, 45}, {22, 41}, {18, 37}, {14, 37}};
constexpr BYTE kHalfSharpK[] = {M, L, L, L, L, L};
constexpr POINT kOuterSharp[] = {{4, 7}, {4, 40}, {11, 36}, {11, 26}};
constexpr BYTE kOuterSharpK[] = {M, L, L, L};
constexpr POINT kTopSharp[] = {{6, 4}, {11, 11}, {37, 11}, {42, 4}};
constexpr BYTE kTopSharpK[] = {M, L, L, L};
constexpr POINT kCentreSmooth[] = {{20, 12}, {20, 25}, {22, 36}, {23, 39}, {24, 40}, {25, 39}, {26, 36},
                                   {28, 25}, {28, 12}, {26, 10}, {24, 9},  {22, 10}, {20, 12}};
constexpr BYTE kCentreSmoothK[] = {M, L, C, C, C, C, C, L, L, C, C, C, L};
constexpr POINT kDiagonalSmooth[] = {{10, 10}, {10, 13}, {11, 20}, {13, 28}, {21, 38},
                                     {21, 37}, {19, 26}, {15, 16}, {11, 10}, {10, 10}};
constexpr BYTE kDiagonalSmoothK[] = {M, C, C, C, L, L, C, C, C, L};
constexpr POINT kHalfSmooth[] = {{8, 41}, {12, 45}, {16, 45}, {23, 41}, {16, 37}, {12, 37}};
constexpr BYTE kHalfSmoothK[] = {M, L, L, L, L, L};
constexpr POINT kOuterSmooth[] = {{4, 7}, {4, 39}, {5, 40}, {6, 40}, {9, 37}, {11, 33}, {11, 25}, {9, 14}, {5, 6}, {4, 7}};
constexpr BYTE kOuterSmoothK[] = {M, L, C, C, C, C, L, C, C, L};
constexpr POINT kTopSmooth[] = {{8, 4},  {7, 5},  {7, 6},  {9, 8},  {12, 9},  {14, 11}, {19, 11}, {21, 9}, {24, 7},
                                {27, 9}, {29, 11}, {34, 11}, {36, 9}, {39, 8}, {41, 6}, {41, 5},  {40, 4}};
constexpr BYTE kTopSmoothK[] = {M, C, C, C, C, L, L, C, C, C, L, L, C, C, C, C, L};

// 7-segment outlines.
constexpr POINT kBarSharp[] = {{5, 4}, {12, 11}, {36, 11}, {43, 4}};
constexpr BYTE kBarSharpK[] = {M, L, L, L};
constexpr POINT kLeftSharp[] = {{4, 6}, {4, 40}, {11, 36}, {11, 13}};
constexpr BYTE kLeftSharpK[] = {M, L, L, L};
constexpr POINT kMiddleSharp[] = {{6, 41}, {14, 45}, {34, 45}, {42, 41}, {34, 37}, {14, 37}};
constexpr BYTE kMiddleSharpK[] = {M, L, L, L, L, L};
constexpr POINT kBarSmooth[] = {{6, 4}, {5, 5}, {5, 6}, {8, 9}, {12, 11}, {36, 11}, {39, 4}};
constexpr BYTE kBarSmoothK[] = {M, C, C, C, L, L, L};
constexpr POINT kLeftSmooth[] = {{4, 9}, {4, 39}, {6, 40}, {7, 40}, {9, 38}, {11, 36}, {11, 12}};
constexpr BYTE kLeftSmoothK[] = {M, L, C, C, C, L, L};
constexpr POINT kRightSmooth[] = {{37, 36}, {39, 38}, {41, 40}, {42, 40}, {44, 39},
                                  {44, 6},  {42, 4},  {41, 4},  {39, 8},  {37, 12}};
constexpr BYTE kRightSmoothK[] = {M, C, C, L, L, L, C, C, C, L};
constexpr POINT kMiddleSmooth[] = {{8, 41}, {12, 45}, {36, 45}, {40, 41}, {36, 37}, {12, 37}};
constexpr BYTE kMiddleSmoothK[] = {M, L, L, L, L, L};

// Colon and dot outlines.
constexpr POINT kUpperDot[] = {{4, 23}, {4, 32}, {13, 32}, {13, 23}};
constexpr POINT kLowerDot[] = {{4, 50}, {4, 59}, {13, 59}, {13, 50}};
constexpr POINT kDecimalPoint[] = {{4, 68}, {4, 77}, {13, 77}, {13, 68}};
constexpr BYTE kDotK[] = {M, L, L, L};

// Mask tables: bit i lights segment i.
constexpr WORD kMask7[] = {0x00, 0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F, 0x08};
constexpr WORD kMask14[] = {0x0000, 0x3F00, 0x1800, 0x36C0, 0x3CC0, 0x19C0, 0x2DC0, 0x2FC0, 0x3800, 0x3FC0,
                            0x3DC0, 0x00C0, 0x3BC0, 0x3CA1, 0x2700, 0x3C21, 0x27C0, 0x23C0, 0x2F80, 0x1BC0,
                            0x2421, 0x1E00, 0x0354, 0x0700, 0x1B06, 0x1B12, 0x3F00, 0x33C0, 0x3F10, 0x33D0,
                            0x2DC0, 0x2021, 0x1F00, 0x030C, 0x1B18, 0x001E, 0x11E0, 0x240C, 0x00FF, 0x00E1,
                            0x0014, 0x000A, 0x0012, 0x000C, 0x0001};
constexpr WORD kMaskDot = 4;
constexpr WORD kMaskColon = 3;

// The design grid's mirror lines of a 49-unit character: x = 24 and y = 41.
enum class Mirror { None, AboutY41, AboutX24, AboutCentre };

CDSegment MakeSegment(const Outline& o, Mirror mirror) {
  std::vector<POINT> points(o.points, o.points + o.count);
  for (POINT& p : points) {
    if (mirror == Mirror::AboutX24 || mirror == Mirror::AboutCentre) p.x = 48 - p.x;
    if (mirror == Mirror::AboutY41 || mirror == Mirror::AboutCentre) p.y = 82 - p.y;
  }
  CDSegment segment;
  segment.DefineSegment(points.data(), o.kinds, o.count);
  return segment;
}

struct SegmentSource {
  Outline outline;
  Mirror mirror;
};

std::vector<CDSegment> MakeSegments(std::initializer_list<SegmentSource> sources) {
  std::vector<CDSegment> segments;
  for (const SegmentSource& s : sources) segments.push_back(MakeSegment(s.outline, s.mirror));
  return segments;
}

// The index into the mask tables of a digit, space or '-'; -1 for another character.
int DigitIndex(wchar_t c) {
  if (c == L' ') return 0;
  if (c >= L'0' && c <= L'9') return 1 + (c - L'0');
  if (c == L'-') return 11;
  return -1;
}

// The 14-segment mask index of a letter or sign; -1 for another character.
int SignIndex(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return 12 + (c - L'A');
  static constexpr wchar_t kSigns[] = L"*+()\\/'";
  for (int i = 0; kSigns[i]; ++i) {
    if (kSigns[i] == c) return 38 + i;
  }
  return -1;
}

}  // namespace

void CDigiChar::SetElementData(WORD mask, DWORD style) {
  mask_ = mask;
  onlyLit_ = (style & kDigiOnlyLit) ? TRUE : FALSE;
}

void CDigi7Segment::SetElementData(WORD mask, DWORD style) {
  using enum Mirror;
  if (style & kDigiSmooth) {
    const Outline bar = MakeOutline(kBarSmooth, kBarSmoothK);
    const Outline left = MakeOutline(kLeftSmooth, kLeftSmoothK);
    const Outline right = MakeOutline(kRightSmooth, kRightSmoothK);
    segments_ = MakeSegments({{bar, None}, {left, None}, {right, None}, {MakeOutline(kMiddleSmooth, kMiddleSmoothK), None},
                              {left, AboutY41}, {right, AboutY41}, {bar, AboutY41}});
  } else {
    const Outline bar = MakeOutline(kBarSharp, kBarSharpK);
    const Outline left = MakeOutline(kLeftSharp, kLeftSharpK);
    segments_ = MakeSegments({{bar, None}, {left, None}, {left, AboutX24}, {MakeOutline(kMiddleSharp, kMiddleSharpK), None},
                              {left, AboutY41}, {left, AboutCentre}, {bar, AboutY41}});
  }
  CDigiChar::SetElementData(mask, style);
}

void CDigi14Segment::SetElementData(WORD mask, DWORD style) {
  using enum Mirror;
  const bool smooth = (style & kDigiSmooth) != 0;
  const Outline centre = smooth ? MakeOutline(kCentreSmooth, kCentreSmoothK) : MakeOutline(kCentreSharp, kCentreSharpK);
  const Outline diagonal =
      smooth ? MakeOutline(kDiagonalSmooth, kDiagonalSmoothK) : MakeOutline(kDiagonalSharp, kDiagonalSharpK);
  const Outline half = smooth ? MakeOutline(kHalfSmooth, kHalfSmoothK) : MakeOutline(kHalfSharp, kHalfSharpK);
  const Outline outer = smooth ? MakeOutline(kOuterSmooth, kOuterSmoothK) : MakeOutline(kOuterSharp, kOuterSharpK);
  const Outline top = smooth ? MakeOutline(kTopSmooth, kTopSmoothK) : MakeOutline(kTopSharp, kTopSharpK);
  segments_ = MakeSegments({{centre, None},      {diagonal, None},      {diagonal, AboutX24}, {diagonal, AboutY41},
                            {diagonal, AboutCentre}, {centre, AboutY41}, {half, None},         {half, AboutX24},
                            {outer, None},       {outer, AboutY41},     {top, AboutY41},      {outer, AboutCentre},
                            {outer, AboutX24},   {top, None}});
  CDigiChar::SetElementData(mask, style);
}

void CDigiColonDotChar::SetElementData(WORD mask, DWORD style) {
  using enum Mirror;
  segments_ = MakeSegments({{MakeOutline(kUpperDot, kDotK), None},
                            {MakeOutline(kLowerDot, kDotK), None},
                            {MakeOutline(kDecimalPoint, kDotK), None}});
  CDigiChar::SetElementData(mask, style);
}

void CDigiChar::Draw(CDC& dc, const DigiRect& rect, CPen* offPen, CPen* onPen, CBrush* offBrush,
                     CBrush* onBrush) const {
  for (size_t i = 0; i < segments_.size(); ++i) {
    const bool lit = ((mask_ >> i) & 1) != 0;
    if (!lit && onlyLit_) continue;
    dc.SelectObject(lit ? onPen : offPen);
    dc.SelectObject(lit ? onBrush : offBrush);
    dc.BeginPath();
    segments_[i].Draw(dc, rect, width_);
    dc.EndPath();
    dc.StrokeAndFillPath();
  }
}

std::optional<CDigiChar> MakeDigiChar(wchar_t c, DWORD style) {
  const auto make = [style](CDigiChar&& ch, WORD mask) -> std::optional<CDigiChar> {
    ch.SetElementData(mask, style);
    return std::optional<CDigiChar>(std::move(ch));
  };
  if (const int digit = DigitIndex(c); digit >= 0) {
    if (style & kDigi14Segment) return make(CDigi14Segment(), kMask14[digit]);
    return make(CDigi7Segment(), kMask7[digit]);
  }
  if (const int sign = SignIndex(c); sign >= 0) return make(CDigi14Segment(), kMask14[sign]);
  if (c == L'.') return make(CDigiColonDotChar(), kMaskDot);
  if (c == L':') return make(CDigiColonDotChar(), kMaskColon);
  return std::nullopt;
}
