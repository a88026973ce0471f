// What every presenter shares: the picture held with its on-screen text, its conversion for the
// window at each present, the back buffer of the picture's own size made when it is read back,
// the picture last presented, and the visibility. A presenter adds the size of its window and how
// a present reaches it.
//
// Threads: the video thread resets, hands pictures and texts, clears and presents; the window's
// thread reads the presented picture; any thread may read back and change the visibility.
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
  bool SetPicture(const AVFrame& picture) override;
  void SetOverlay(std::vector<OverlayText> texts) override;
  void Clear() override;
  bool Present(const CRect& crop, bool letterbox) override;
  bool ReadBack(PictureCopy& out, int timeoutMs) override;
  void SetVisible(bool visible) override;

  // The picture last presented, as the window is to show it (a shared copy).
  void GetPresented(PresentedFrame& out) const;
  bool IsVisible() const;

 protected:
  // The client area that a present converts for; empty without a window, when a present keeps the
  // picture at its own size and the crop for whoever composes it. Any thread.
  virtual CSize ClientSize() const { return {}; }
  // Called on the presenting thread after each present, with what was presented.
  virtual void Presented(const PresentedFrame& frame) = 0;
  // Called on the calling thread after the visibility changed.
  virtual void VisibilityChanged(bool visible) = 0;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat
