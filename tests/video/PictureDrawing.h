// Pictures for presenter tests, written into a presenter's back buffer the way the video thread
// writes a converted picture: locked, every pixel written, unlocked.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QImage>

#include "platform/video/VideoPresenter.h"

namespace videotest {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// Writes colourOf(x, y) into every pixel of the back buffer.
template <typename ColourOf>
bool Paint(plat::IVideoPresenter& presenter, ColourOf colourOf) {
  plat::BackBuffer b;
  if (!presenter.Lock(b)) return false;
  for (int y = 0; y < b.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(b.data + static_cast<std::ptrdiff_t>(y) * b.stride);
    for (int x = 0; x < b.width; ++x) row[x] = colourOf(x, y);
  }
  presenter.Unlock();
  return true;
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

// True when every pixel of the rectangle (x, y, w, h) of the image has the colour.
inline bool AllOf(const QImage& image, int x, int y, int w, int h, std::uint32_t colour) {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) {
      if (image.pixel(i, j) != colour) return false;
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
