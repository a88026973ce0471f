// Pictures for presenter tests, handed to a presenter the way the video thread hands a decoded
// picture: a counted picture in 32-bit pixels, every pixel written.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QImage>

extern "C" {
#include <libavutil/frame.h>
}

#include "platform/video/VideoPresenter.h"

namespace videotest {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// Hands the presenter a picture of its size whose pixel (x, y) is colourOf(x, y).
template <typename ColourOf>
bool Paint(plat::IVideoPresenter& presenter, ColourOf colourOf) {
  AVFrame* f = av_frame_alloc();
  f->format = AV_PIX_FMT_BGRA;
  f->width = presenter.Width();
  f->height = presenter.Height();
  bool taken = f->width > 0 && av_frame_get_buffer(f, 0) == 0;
  for (int y = 0; taken && y < f->height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(f->data[0] + static_cast<std::ptrdiff_t>(y) * f->linesize[0]);
    for (int x = 0; x < f->width; ++x) row[x] = colourOf(x, y);
  }
  taken = taken && presenter.SetPicture(*f);
  av_frame_free(&f);
  return taken;
}

inline bool Fill(plat::IVideoPresenter& presenter, std::uint32_t colour) {
  return Paint(presenter, [colour](int, int) { return colour; });
}

// Red top left, green top right, blue bottom left, white bottom right.
inline bool PaintQuadrants(plat::IVideoPresenter& presenter) {
  const int w = presenter.Width(), h = presenter.Height();
  return Paint(presenter, [w, h](int x, int y) {
    const bool right = x >= w / 2, bottom = y >= h / 2;
    return bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
  });
}

inline std::uint32_t At(const QImage& image, int x, int y) { return image.pixel(x, y); }

// Whether two colours are alike: a picture scaled for a window passes through the scaler's
// colour conversion, which may move each channel a little.
inline bool Alike(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 6) return false;
  }
  return true;
}

// True when every pixel of the rectangle (x, y, w, h) of the image has the colour.
inline bool AllOf(const QImage& image, int x, int y, int w, int h, std::uint32_t colour) {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) {
      if (!Alike(image.pixel(i, j), colour)) return false;
    }
  }
  return true;
}

inline void Save(const QImage& image, const std::string& name) {
  const char* dir = std::getenv("PLAYER_TEST_OUTPUT");
  if (!dir) return;
  std::filesystem::create_directories(dir);
  image.save(QString::fromStdString(std::string(dir) + "/" + name));
}

}  // namespace videotest
