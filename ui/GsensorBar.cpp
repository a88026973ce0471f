#include "ui/GsensorBar.h"

#include <algorithm>

void GsensorBar::SetLayout(int left, int top, int right, int bottom, int xOffset, int yOffset, int scale, int xOrigin,
                           int ownerValue1, int ownerValue2, int ownerValue3) {
  if (next_ != nullptr) next_->SetLayout(left, top, right, bottom, 0, 0, -1, 0);
  left_ = left;
  top_ = top;
  right_ = right;
  bottom_ = bottom;
  xOffset_ = xOffset;
  yOffset_ = yOffset;
  xOrigin_ = xOrigin;
  ownerValues_ = {ownerValue1, ownerValue2, ownerValue3};
  columns_ = std::max(right - left - kLeftMargin - kRightMargin, 0);
  middle_ = (top + bottom) / 2;
  scale_ = scale == -1 ? (bottom - top) / 10 : scale;
  AllocColumns();
}

void GsensorBar::AllocColumns() {
  const auto count = static_cast<size_t>(columns_);
  columnRecords_.assign(count, Sample{});
  marks_.assign(count, SegmentMark{});
  columnValues_.assign(count, 0);
}
