#include "platform/video/BackBufferPresenter.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/imgutils.h>
}

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/Surface.h"
#include "platform/video/PresentedFrame.h"

namespace plat {

namespace {

constexpr QImage::Format kFormat = QImage::Format_RGB32;
constexpr QRgb kBlack = 0xFF000000u;

// A lock that can be waited for with a time-out and released by its holder later on.
class BusyLock {
 public:
  void lock() {
    std::unique_lock guard(mutex_);
    freed_.wait(guard, [this] { return !busy_; });
    busy_ = true;
  }
  bool try_lock_for(std::chrono::milliseconds timeout) {
    std::unique_lock guard(mutex_);
    if (!freed_.wait_for(guard, timeout, [this] { return !busy_; })) return false;
    busy_ = true;
    return true;
  }
  void unlock() {
    {
      std::lock_guard guard(mutex_);
      busy_ = false;
    }
    freed_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  bool busy_ = false;
};

}  // namespace

struct BackBufferPresenter::Impl {
  // The back buffer and the picture it held before the last present: once no window shows that
  // one any more it takes the next picture, so presenting never copies the back buffer.
  BusyLock backLock;
  QImage back;
  QImage spare;
  bool lockedForPicture = false;
  bool lockedForDc = false;
  DcSurface surface;
  std::atomic<int> width{0};
  std::atomic<int> height{0};

  mutable std::mutex frontMutex;
  PresentedFrame front;

  std::atomic<bool> visible{true};

  // Makes the back buffer safe to overwrite whole; the caller holds backLock.
  bool MakeWritable() {
    if (back.isDetached()) return true;
    const bool spareFree = spare.isDetached() && spare.size() == back.size();
    // The window's thread gave its last reference to the spare picture up after reading it:
    // its reads come before the writes into the picture that follow.
    std::atomic_thread_fence(std::memory_order_acquire);
    QImage next = spareFree ? std::move(spare) : QImage(back.size(), kFormat);
    if (next.isNull()) return false;
    spare = std::move(back);
    back = std::move(next);
    return true;
  }
};

BackBufferPresenter::BackBufferPresenter() : impl_(std::make_unique<Impl>()) {}
BackBufferPresenter::~BackBufferPresenter() = default;

bool BackBufferPresenter::Reset(int width, int height) {
  std::lock_guard lock(impl_->backLock);
  impl_->spare = QImage();
  impl_->back = QImage();
  impl_->width = impl_->height = 0;
  if (width <= 0 || height <= 0 || av_image_check_size(width, height, 0, nullptr) < 0) return false;
  impl_->back = QImage(width, height, kFormat);
  if (impl_->back.isNull()) return false;
  impl_->back.fill(kBlack);
  impl_->width = width;
  impl_->height = height;
  return true;
}

void BackBufferPresenter::Release() {
  std::lock_guard lock(impl_->backLock);
  impl_->back = QImage();
  impl_->spare = QImage();
  impl_->width = impl_->height = 0;
}

bool BackBufferPresenter::HasSurface() const { return impl_->width > 0; }
int BackBufferPresenter::Width() const { return impl_->width; }
int BackBufferPresenter::Height() const { return impl_->height; }

bool BackBufferPresenter::Lock(BackBuffer& out) {
  impl_->backLock.lock();
  if (impl_->back.isNull() || !impl_->MakeWritable()) {
    impl_->backLock.unlock();
    return false;
  }
  impl_->lockedForPicture = true;
  QImage& b = impl_->back;
  out = {b.bits(), static_cast<int>(b.bytesPerLine()), b.width(), b.height()};
  return true;
}

void BackBufferPresenter::Unlock() {
  if (!impl_->lockedForPicture) return;
  impl_->lockedForPicture = false;
  impl_->backLock.unlock();
}

void BackBufferPresenter::Clear() {
  std::lock_guard lock(impl_->backLock);
  if (!impl_->back.isNull() && impl_->MakeWritable()) impl_->back.fill(kBlack);
}

const DcSurface* BackBufferPresenter::GetDC(int timeoutMs) {
  if (!impl_->backLock.try_lock_for(std::chrono::milliseconds(timeoutMs))) return nullptr;
  if (impl_->back.isNull()) {
    impl_->backLock.unlock();
    return nullptr;
  }
  impl_->lockedForDc = true;
  impl_->surface = DcSurface{&impl_->back, QPoint(0, 0), QRegion()};
  return &impl_->surface;
}

void BackBufferPresenter::ReleaseDC() {
  if (!impl_->lockedForDc) return;
  impl_->lockedForDc = false;
  impl_->surface = DcSurface{};
  impl_->backLock.unlock();
}

bool BackBufferPresenter::Present(const CRect& crop, bool letterbox) {
  PresentedFrame frame;
  {
    std::lock_guard lock(impl_->backLock);
    const QImage& b = impl_->back;
    if (b.isNull()) return false;
    const CRect whole(0, 0, b.width(), b.height());
    const CRect source = letterbox ? whole : CropSourceRect(crop, b.width(), b.height());
    if (source.IsRectEmpty()) return false;
    frame = PresentedFrame{b, ToQRect(source), letterbox};
  }
  {
    std::lock_guard lock(impl_->frontMutex);
    impl_->front = frame;
  }
  Presented(frame);
  return true;
}

bool BackBufferPresenter::ReadBack(PictureCopy& out, int timeoutMs) {
  std::unique_lock lock(impl_->backLock, std::chrono::milliseconds(timeoutMs));
  if (!lock.owns_lock() || impl_->back.isNull()) return false;
  const QImage& b = impl_->back;
  out.width = b.width();
  out.height = b.height();
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    std::memcpy(&out.pixels[static_cast<std::size_t>(y) * out.width], b.constScanLine(y),
                static_cast<std::size_t>(out.width) * sizeof(std::uint32_t));
  }
  return true;
}

void BackBufferPresenter::SetVisible(bool visible) {
  impl_->visible = visible;
  VisibilityChanged(visible);
}

bool BackBufferPresenter::IsVisible() const { return impl_->visible; }

void BackBufferPresenter::GetPresented(PresentedFrame& out) const {
  std::lock_guard lock(impl_->frontMutex);
  out = impl_->front;
}

}  // namespace plat
