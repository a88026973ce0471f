// The video presenter of a channel window. The video thread hands it each decoded picture and
// then the picture's on-screen text; a present converts the picture once, from the decoder's
// pixels straight to what the window shows: through a crop rectangle stretched over the whole
// client area or, keeping the picture's proportion, centred between black bars, with the text
// drawn at that scale where it lies on the picture. The presenter keeps the picture, so a repaint
// presents it again (at the window's size of the moment), and the back buffer of the picture's
// own size with its text, which snapshots read, is made only when it is asked for.
//
// This header includes no Qt header: the engine reaches presenters only through it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Message.h"
#include "platform/String.h"
#include "platform/gdi/GdiDefs.h"

struct AVFrame;

namespace plat {

// A conversion target: 32-bit pixels, bytes B, G, R, X in memory (AV_PIX_FMT_BGRA).
struct BackBuffer {
  std::uint8_t* data = nullptr;
  int stride = 0;  // bytes from one row to the next
  int width = 0;
  int height = 0;
};

// A copy of the back buffer: rows top down, one 0xAARRGGBB word per pixel.
struct PictureCopy {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t Pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// One text of a picture's on-screen text as TextOut draws it with a transparent background:
// (x, y) is the top left of its cell, in the picture's pixels.
struct OverlayText {
  CString text;
  LOGFONTW font;
  COLORREF color = 0;
  int x = 0;
  int y = 0;
};

// The largest rectangle of the picture's proportion inside the client rectangle, centred; an
// empty rectangle when the client area or the picture is empty.
CRect ComputePresentRect(const CRect& client, int width, int height);

// The part of a width x height picture that a crop rectangle leaves: the crop holds the left and
// top margins (0 or more) and, in right and bottom, the right and bottom margins (0 or less). The
// result is kept inside the picture; it is empty when the margins leave nothing.
CRect CropSourceRect(const CRect& crop, int width, int height);

class IVideoPresenter {
 public:
  virtual ~IVideoPresenter() = default;

  // Makes ready for pictures of this size, showing black until the first; false when pictures of
  // that size cannot be had.
  virtual bool Reset(int width, int height) = 0;
  // Forgets the size and the picture; what the window shows stays until the next present.
  virtual void Release() = 0;
  virtual bool HasSurface() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Takes a decoded picture in system memory, keeping a reference to its pixels, to be shown by
  // the next present; it has no on-screen text until SetOverlay. False when the picture is not of
  // the size made ready for or its pixel format cannot be converted.
  virtual bool SetPicture(const AVFrame& picture) = 0;
  // The on-screen text of the picture held, drawn over it wherever it is shown.
  virtual void SetOverlay(std::vector<OverlayText> texts) = 0;
  // Forgets the picture: black from the next present on.
  virtual void Clear() = 0;

  // Shows the picture in the window and returns at once. Without letterbox, the crop's source
  // rectangle is stretched over the whole client area; with letterbox, the whole picture (no
  // crop) goes into the present rectangle and the rest of the client area is black. False when
  // there is no size made ready for or the crop leaves nothing to show.
  virtual bool Present(const CRect& crop, bool letterbox) = 0;
  // The back buffer: the picture held at its own size with its on-screen text (black before the
  // first picture); false when there is no size made ready for or the presenter stayed busy for
  // timeoutMs.
  virtual bool ReadBack(PictureCopy& out, int timeoutMs) = 0;
  // Shows or hides the picture; callable from any thread.
  virtual void SetVisible(bool visible) = 0;
};

// Finds the presenter of a window. The window layer installs the provider for its channel
// windows; the headless player and tests install one with offscreen presenters.
class IPresenterProvider {
 public:
  virtual ~IPresenterProvider() = default;
  virtual std::shared_ptr<IVideoPresenter> PresenterFor(HWND window) = 0;
};

// Installs the provider (null removes it) and returns the previous one.
IPresenterProvider* SetPresenterProvider(IPresenterProvider* provider);
// The window's presenter; null when no provider is installed or the window shows no video.
std::shared_ptr<IVideoPresenter> PresenterFor(HWND window);

}  // namespace plat
