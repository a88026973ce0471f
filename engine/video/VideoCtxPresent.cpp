// The video thread's side of presenting: the presenter of the video window, the hand-over of each
// picture and its on-screen text to it, repaints, snapshots and the hand-over of pictures to the
// recorder.
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

#include "engine/stream/RecordSink.h"
#include "engine/video/VideoCtx.h"

// The presenter of the video window as it is now becomes the one drawn into. Snapshot copies the
// pointer from the UI thread, hence the lock.
void CVideoCtx::TakeWindowPresenter() {
  std::shared_ptr<plat::IVideoPresenter> presenter = plat::PresenterFor(state_.videoWnd.load());
  std::lock_guard lock(presenterLock_);
  presenter_ = std::move(presenter);
}

// A picture of the last play that was converted and not yet presented goes with the clear: the
// window keeps what it shows until the new play's first picture.
void CVideoCtx::AttachPresenter() {
  shownChunk_ = kNoChunk;
  repaint_ = false;
  TakeWindowPresenter();
  if (presenter_ && presenter_->HasSurface()) {
    width_ = presenter_->Width();
    height_ = presenter_->Height();
    presenter_->Clear();
  } else {
    width_ = 0;
    height_ = 0;
  }
}

// Converts a picture into the back buffer, made for its size first when needed.
bool CVideoCtx::PresentFrame(const AVFrame& picture) {
  return FitPresenter(picture.width, picture.height) && Convert(picture);
}

// The first picture of each size makes a back buffer of that size. When none can be had the size
// stays unknown, and the next picture tries again.
bool CVideoCtx::FitPresenter(int width, int height) {
  if (width == width_.load() && height == height_.load()) return true;
  if (!ResetPresenter() || !presenter_->Reset(width, height)) {
    width_ = 0;
    height_ = 0;
    return false;
  }
  width_ = width;
  height_ = height;
  Post(WM_PLAYER_VIDEOSIZE, channel_);
  return true;
}

// The presenter of the video window as it is now, its back buffer given up.
bool CVideoCtx::ResetPresenter() {
  TakeWindowPresenter();
  if (!presenter_) return false;
  presenter_->Release();
  return true;
}

// The presenter converts the picture when it presents it, at the size the window shows it.
bool CVideoCtx::Convert(const AVFrame& picture) { return presenter_->SetPicture(picture); }

// Presents the last picture when asked: through the crop stretched over the window, or whole in
// the picture's proportion.
void CVideoCtx::Repaint() {
  if (!repaint_ || !presenter_ || !presenter_->HasSurface()) return;
  presenter_->Present(state_.Crop(), state_.keepProportion.load());
  repaint_ = false;
}

void CVideoCtx::DrawOsd(double speed) {
  if (!osd_) return;
  OsdFrame frame;
  frame.width = width_.load();
  frame.height = height_.load();
  frame.speed = speed;
  frame.frameTime = state_.frameTime.load();
  frame.carData = carData_;
  frame.figures = VideoFigures();
  osd_->AddSoundFigures(frame.figures);
  presenter_->SetOverlay(OsdLayout(osd_->Settings(), frame));
}

OsdFigures CVideoCtx::VideoFigures() const {
  OsdFigures f;
  f.videoTime = static_cast<std::int64_t>(frameTime_);
  f.picturesLastSecond = picturesLastSecond_;
  f.bytesLastSecond = bytesLastSecond_;
  f.gopLength = gopLength_.load();
  f.videoQueueItems = static_cast<int>(queue_.Count());
  f.videoQueueBytes = static_cast<std::int64_t>(queue_.BytesInUse());
  f.drift = pacer_.GetDrift();
  return f;
}

bool CVideoCtx::Snapshot(plat::PictureCopy& out) const {
  std::shared_ptr<plat::IVideoPresenter> presenter;
  {
    std::lock_guard lock(presenterLock_);
    presenter = presenter_;
  }
  return presenter && presenter->ReadBack(out, kSnapshotWaitMs);
}

// The recorder writes the picture before the call returns, so the copy is never overwritten while
// it is read.
void CVideoCtx::HandToRecorder(const QueueItem& item, const AVFrame& picture) {
  if (!recorder_ || !exportPicture_.Take(picture, channel_, exportPerChannel_)) return;
  recorder_->WritePicture(exportPicture_.View(), item.chunkTime, static_cast<int>(item.aux), frameTime_);
}
