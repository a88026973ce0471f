// What every presenter shares: the back buffer with its lock, the picture last presented, and the
// visibility. A presenter adds how a present reaches its window.
//
// Threads: the video thread resets, locks, clears, draws and presents; the window's thread reads
// the presented picture; any thread may read back and change the visibility.
#pragma once

#include <memory>

#include "platform/video/VideoPresenter.h"

namespace plat {

struct PresentedFrame;  // Qt side: platform/video/PresentedFrame.h

class BackBufferPresenter : public IVideoPresenter {
 public:
  BackBufferPresenter();
  ~BackBufferPresenter() override;
  BackBufferPresenter(const BackBufferPresenter&) = delete;
  BackBufferPresenter& operator=(const BackBufferPresenter&) = delete;

  bool Reset(int width, int height) override;
  void Release() override;
  bool HasSurface() const override;
  int Width() const override;
  int Height() const override;
  bool Lock(BackBuffer& out) override;
  void Unlock() override;
  void Clear() override;
  const DcSurface* GetDC(int timeoutMs) override;
  void ReleaseDC() override;
  bool Present(const CRect& crop, bool letterbox) override;
  bool ReadBack(PictureCopy& out, int timeoutMs) override;
  void SetVisible(bool visible) override;

  // The picture last presented, as the window is to show it (a shared copy).
  void GetPresented(PresentedFrame& out) const;
  bool IsVisible() const;

 protected:
  // Called on the presenting thread after each present, with what was presented.
  virtual void Presented(const PresentedFrame& frame) = 0;
  // Called on the calling thread after the visibility changed.
  virtual void VisibilityChanged(bool visible) = 0;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat
