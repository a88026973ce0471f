// The video presenter of a channel window: a back buffer of the picture's size that the video
// thread converts each picture into and draws its on-screen text on, presented into the window
// either through a crop rectangle stretched over the whole client area or, keeping the picture's
// proportion, centred between black bars. The back buffer keeps the picture after a present, so
// a repaint presents it again and a snapshot reads it back.
//
// This header includes no Qt header: the engine reaches presenters only through it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Message.h"

namespace plat {

struct DcSurface;

// The locked back buffer: 32-bit pixels, bytes B, G, R, X in memory (AV_PIX_FMT_BGRA).
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

  // Makes a black back buffer of the picture's size; false when none can be had.
  virtual bool Reset(int width, int height) = 0;
  // Gives the back buffer up; what the window shows stays until the next present.
  virtual void Release() = 0;
  virtual bool HasSurface() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // While the back buffer is locked or its drawing surface is out, every other call that touches
  // it waits (a read-back or a surface only up to its time-out), so the holder makes no other
  // call before Unlock or ReleaseDC.
  //
  // Hands the back buffer out for a whole new picture, held until Unlock. What it held before is
  // not promised once it has been presented: the caller writes every pixel.
  virtual bool Lock(BackBuffer& out) = 0;
  virtual void Unlock() = 0;
  virtual void Clear() = 0;  // black

  // The back buffer as a drawing surface for a device context (the on-screen text), held until
  // ReleaseDC; null when there is no back buffer or it stayed busy for timeoutMs.
  virtual const DcSurface* GetDC(int timeoutMs) = 0;
  virtual void ReleaseDC() = 0;

  // Shows the back buffer in the window and returns at once. Without letterbox, the crop's source
  // rectangle is stretched over the whole client area; with letterbox, the whole picture (no
  // crop) goes into the present rectangle and the rest of the client area is black. False when
  // there is no back buffer or the crop leaves nothing to show.
  virtual bool Present(const CRect& crop, bool letterbox) = 0;
  // Copies the back buffer (picture and on-screen text); false when there is none or it stayed
  // busy for timeoutMs.
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
