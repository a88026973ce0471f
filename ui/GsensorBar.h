// GsensorBar: the G-sensor timeline graph of a recording, a strip of pixel columns on which the X,
// Y and Z curves are drawn up to the point reached. It is not a window: it draws into a device
// context handed to it by the window that shows it. Bars form a chain through their next bar; a
// chained operation reaches the next bar first, then this one.
#pragma once

#include <array>
#include <vector>

class GsensorBar {
 public:
  static constexpr int kLeftMargin = 32;
  static constexpr int kRightMargin = 42;

  GsensorBar() = default;
  virtual ~GsensorBar() = default;
  GsensorBar(const GsensorBar&) = delete;
  GsensorBar& operator=(const GsensorBar&) = delete;

  void SetNext(GsensorBar* next) { next_ = next; }
  GsensorBar* GetNext() const { return next_; }

  // Chained: the next bar gets the same rectangle with offsets 0, scale -1 and x origin 0. The
  // scale is the argument, or a tenth of the height for -1; the three last values are the
  // owner's and kept for it.
  void SetLayout(int left, int top, int right, int bottom, int xOffset, int yOffset, int scale, int xOrigin,
                 int ownerValue1 = 0, int ownerValue2 = 0, int ownerValue3 = 0);
  // One column record, mark and value per pixel column, all empty.
  void AllocColumns();

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Right() const { return right_; }
  int Bottom() const { return bottom_; }
  int Columns() const { return columns_; }
  int Middle() const { return middle_; }
  int Scale() const { return scale_; }

 private:
  struct Sample {
    int x = 0;
    int y = 0;
    int z = 0;
    int index = -1;
  };
  struct SegmentMark {
    std::array<unsigned char, 12> flags{};
    unsigned char marked = 0;
  };

  GsensorBar* next_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int right_ = 0;
  int bottom_ = 0;
  int columns_ = 0;
  int middle_ = 0;
  int xOffset_ = 0;
  int yOffset_ = 0;
  int scale_ = 0;
  int xOrigin_ = 0;
  std::array<int, 3> ownerValues_{};
  std::vector<Sample> columnRecords_;
  std::vector<SegmentMark> marks_;
  std::vector<int> columnValues_;
};
