// Characters of the segment display: 7-segment digits, 14-segment letters and signs, and
// colon/dot characters. A character owns its segments in design units and knows which are lit;
// all of it lives in the base class, so that copies of a character keep everything.
#pragma once

#include <optional>
#include <vector>

#include "controls/DSegment.h"

class CBrush;
class CPen;
class CRgn;

// Style bits of the segment display.
constexpr DWORD kDigiSmooth = 1;          // curved segment outlines
constexpr DWORD kDigi14Segment = 2;       // digits, space and '-' as 14-segment characters
constexpr DWORD kDigiKeepRatio = 4;       // one scale for x and y, the characters centred
constexpr DWORD kDigiOnlyLit = 8;         // unlit segments are not drawn
constexpr DWORD kDigiBlendOutline = 16;   // outlines blended 3:1 with the background

class CDigiChar {
 public:
  virtual ~CDigiChar() = default;
  CDigiChar(const CDigiChar&) = default;
  CDigiChar& operator=(const CDigiChar&) = default;

  // Bit i of the mask lights segment i. Each kind first rebuilds its segments for the style.
  virtual void SetElementData(WORD mask, DWORD style);
  int GetWidth() const { return width_; }
  WORD GetMask() const { return mask_; }
  const std::vector<CDSegment>& GetSegments() const { return segments_; }

  // Strokes and fills each segment with the pen and brush of its state.
  void Draw(CDC& dc, const DigiRect& rect, CPen* offPen, CPen* onPen, CBrush* offBrush, CBrush* onBrush) const;

 protected:
  explicit CDigiChar(int width) : width_(width) {}

  int width_;
  WORD mask_ = 0;
  std::vector<CDSegment> segments_;
  BOOL onlyLit_ = FALSE;
};

class CDigi7Segment : public CDigiChar {
 public:
  CDigi7Segment() : CDigiChar(49) {}
  void SetElementData(WORD mask, DWORD style) override;
};

class CDigi14Segment : public CDigiChar {
 public:
  CDigi14Segment() : CDigiChar(49) {}
  void SetElementData(WORD mask, DWORD style) override;
};

class CDigiColonDotChar : public CDigiChar {
 public:
  CDigiColonDotChar() : CDigiChar(18) {}
  void SetElementData(WORD mask, DWORD style) override;
};

// The character that shows the (upper-case) text character in the style, or none for a character
// the display cannot show.
std::optional<CDigiChar> MakeDigiChar(wchar_t c, DWORD style);
