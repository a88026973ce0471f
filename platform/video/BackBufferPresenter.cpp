#include "platform/video/BackBufferPresenter.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include <QPainter>
#include <QRegion>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
}

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/Surface.h"
#include "platform/video/FrameConverter.h"
#include "platform/video/Overlay.h"
#include "platform/video/PresentedFrame.h"

namespace plat {

namespace {

constexpr QImage::Format kFormat = QImage::Format_RGB32;
constexpr QRgb kBlack = 0xFF000000u;
// The scaler writes whole groups of pixels: rows are padded to them, and the last row may run on.
constexpr int kPixelGroup = 16;
constexpr int kTail = kPixelGroup * 4;

struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FrameRef = std::unique_ptr<AVFrame, FrameFree>;

// A 32-bit picture whose rows the scaler may write in whole groups of pixels.
QImage PaddedImage(QSize size) {
  const qsizetype stride = (size.width() + kPixelGroup - 1) / kPixelGroup * kPixelGroup * 4;
  auto* bytes = static_cast<uchar*>(std::malloc(static_cast<std::size_t>(stride * size.height() + kTail)));
  if (bytes == nullptr) return {};
  return QImage(bytes, size.width(), size.height(), stride, kFormat, [](void* p) { std::free(p); }, bytes);
}

BackBuffer TargetIn(QImage& image, const QRect& rect) {
  return {image.bits() + static_cast<std::ptrdiff_t>(rect.top()) * image.bytesPerLine() + rect.left() * 4,
          static_cast<int>(image.bytesPerLine()), rect.width(), rect.height()};
}

// Maps the source rectangle of the picture onto the target rectangle of an image.
QTransform SourceToTarget(const QRect& source, const QRect& target) {
  const double sx = static_cast<double>(target.width()) / source.width();
  const double sy = static_cast<double>(target.height()) / source.height();
  return QTransform(sx, 0, 0, sy, target.left() - source.left() * sx, target.top() - source.top() * sy);
}

// A lock that a snapshot can wait for with a time-out. std::timed_mutex waits through
// pthread_mutex_clocklock, which the thread checker of gcc 12 does not see: it then takes every
// read under the lock for a race and every unlock for one of a free lock. A flag under a plain
// mutex, waited for on a condition variable, it follows.
class TimedLock {
 public:
  void lock() {
    std::unique_lock guard(mutex_);
    freed_.wait(guard, [this] { return !held_; });
    held_ = true;
  }
  template <class Rep, class Period>
  bool try_lock_for(const std::chrono::duration<Rep, Period>& timeout) {
    std::unique_lock guard(mutex_);
    if (!freed_.wait_for(guard, timeout, [this] { return !held_; })) return false;
    held_ = true;
    return true;
  }
  void unlock() {
    {
      std::lock_guard guard(mutex_);
      held_ = false;
    }
    freed_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  bool held_ = false;
};

}  // namespace

struct BackBufferPresenter::Impl {
  // The picture held, its text and the back buffer made from them, under one lock.
  TimedLock pictureMutex;
  FrameRef picture;
  std::vector<OverlayText> texts;
  QImage back;  // null until read back since the last change
  FrameConverter windowConverter;  // used by the presenting thread only
  FrameConverter backConverter;
  std::atomic<int> width{0};
  std::atomic<int> height{0};
  // The image presented before the last: once no window shows it any more it takes the next
  // present, so presenting allocates nothing. The same for samples.
  QImage spare;
  std::shared_ptr<PlanarPicture> spareSamples;
  // Changes with the picture held and its text: a present of the same, in the same place, for the
  // same client area, shows what the last one made.
  std::uint64_t serial = 0;
  struct Made {
    std::uint64_t serial = 0;
    QRect source;
    bool letterbox = false;
    QSize client;
    bool operator==(const Made&) const = default;
  } made;

  mutable std::mutex frontMutex;
  PresentedFrame front;

  std::atomic<bool> visible{true};

  QImage NextImage(QSize size) {
    if (spare.size() == size && spare.isDetached()) {
      // The window's thread gave its last reference to the spare picture up after reading it:
      // its reads come before the writes into the picture that follow.
      std::atomic_thread_fence(std::memory_order_acquire);
      return std::exchange(spare, QImage());
    }
    return PaddedImage(size);
  }

  std::shared_ptr<PlanarPicture> NextSamples() {
    if (spareSamples && spareSamples.use_count() == 1) {
      std::atomic_thread_fence(std::memory_order_acquire);
      return std::exchange(spareSamples, nullptr);
    }
    return std::make_shared<PlanarPicture>();
  }

  // The picture's samples scaled for the target of a client area, with its text; false for a
  // picture of red, green and blue samples, which is shown through 32-bit pixels. The caller holds
  // pictureMutex.
  bool ScaleSamples(const QRect& source, const QRect& target, const QSize& client, bool letterbox,
                    PresentedFrame& frame) {
    std::shared_ptr<PlanarPicture> samples = NextSamples();
    if (!windowConverter.Scale(*picture, ToCRect(source), target.width(), target.height(), *samples)) {
      spareSamples = std::move(samples);
      return false;
    }
    frame.samples = std::move(samples);
    frame.source = source;
    frame.letterbox = letterbox;
    frame.target = target;
    frame.client = client;
    frame.texts = texts;
    frame.toClient = TextToTarget(target);
    return true;
  }

  // The on-screen text is laid out on the whole picture and goes over the target as the whole
  // picture would: a zoom enlarges the picture, never the text, which stays where it was inside
  // the picture shown instead of running off its edges.
  QTransform TextToTarget(const QRect& target) const {
    return SourceToTarget(QRect(0, 0, picture->width, picture->height), target);
  }

  // The picture (black without one) converted from `source` into `target` of the image, with
  // its text over it: the whole picture at its own scale exactly as a device context draws it on
  // the back buffer, anything else laid out alike and scaled to the target. The caller holds
  // pictureMutex.
  void Draw(FrameConverter& converter, QImage& image, const QRect& source, const QRect& target) {
    if (!picture || !converter.Convert(*picture, ToCRect(source), TargetIn(image, target))) {
      image.fill(kBlack);
      return;
    }
    if (source.size() != target.size() || source != QRect(0, 0, picture->width, picture->height)) {
      DrawOverlayTexts(image, TextToTarget(target), texts);
      return;
    }
    CDC dc(DcSurface{&image, target.topLeft() - source.topLeft(), QRegion(source)});
    DrawOverlayTexts(dc, texts);
  }
};

BackBufferPresenter::BackBufferPresenter() : impl_(std::make_unique<Impl>()) {}
BackBufferPresenter::~BackBufferPresenter() = default;

bool BackBufferPresenter::Reset(int width, int height) {
  std::lock_guard lock(impl_->pictureMutex);
  impl_->picture.reset();
  impl_->texts.clear();
  impl_->back = QImage();
  ++impl_->serial;
  impl_->width = impl_->height = 0;
  if (width <= 0 || height <= 0 || av_image_check_size(width, height, 0, nullptr) < 0) return false;
  impl_->width = width;
  impl_->height = height;
  return true;
}

void BackBufferPresenter::Release() { Reset(0, 0); }

bool BackBufferPresenter::HasSurface() const { return impl_->width > 0; }
int BackBufferPresenter::Width() const { return impl_->width; }
int BackBufferPresenter::Height() const { return impl_->height; }

bool BackBufferPresenter::SetPicture(const AVFrame& picture) {
  if (picture.width != impl_->width || picture.height != impl_->height || !picture.data[0]) return false;
  FrameRef ref(av_frame_alloc());
  if (!ref || av_frame_ref(ref.get(), &picture) < 0) return false;
  std::lock_guard lock(impl_->pictureMutex);
  impl_->picture = std::move(ref);
  impl_->texts.clear();
  impl_->back = QImage();
  ++impl_->serial;
  return true;
}

void BackBufferPresenter::SetOverlay(std::vector<OverlayText> texts) {
  std::lock_guard lock(impl_->pictureMutex);
  impl_->texts = std::move(texts);
  impl_->back = QImage();
  ++impl_->serial;
}

void BackBufferPresenter::Clear() {
  std::lock_guard lock(impl_->pictureMutex);
  impl_->picture.reset();
  impl_->texts.clear();
  impl_->back = QImage();
  ++impl_->serial;
}

bool BackBufferPresenter::Present(const CRect& crop, bool letterbox) {
  const CSize client = ClientSize();
  PresentedFrame frame;
  {
    std::lock_guard lock(impl_->pictureMutex);
    const int w = impl_->width, h = impl_->height;
    if (w <= 0) return false;
    const QRect whole(0, 0, w, h);
    const QRect source = letterbox ? whole : ToQRect(CropSourceRect(crop, w, h));
    if (source.isEmpty()) return false;
    if (client.cx <= 0 || client.cy <= 0) {
      // No window: the picture at its own size, the crop left to whoever composes it.
      QImage image = impl_->NextImage(whole.size());
      if (image.isNull()) return false;
      impl_->Draw(impl_->windowConverter, image, whole, whole);
      frame.picture = image;
      frame.source = source;
      frame.letterbox = letterbox;
    } else if (impl_->picture) {
      const QRect area(0, 0, client.cx, client.cy);
      const QRect target = letterbox ? ToQRect(ComputePresentRect(ToCRect(area), w, h)) : area;
      if (target.isEmpty()) return false;
      const Impl::Made made{impl_->serial, source, letterbox, area.size()};
      if (made == impl_->made) {
        GetPresented(frame);
      } else if (!impl_->ScaleSamples(source, target, area.size(), letterbox, frame)) {
        QImage image = impl_->NextImage(area.size());
        if (image.isNull()) return false;
        impl_->Draw(impl_->windowConverter, image, source, target);
        if (letterbox) {
          QPainter bars(&image);
          for (const QRect& bar : QRegion(area).subtracted(QRegion(target))) bars.fillRect(bar, QColor(kBlack));
        }
        frame.picture = image;
        frame.source = target;
        frame.letterbox = letterbox;
        frame.whole = true;
      }
      impl_->made = made;
    }
    // A window without a picture shows black.
  }
  {
    std::lock_guard lock(impl_->frontMutex);
    PresentedFrame old = std::exchange(impl_->front, frame);
    if (old.picture.cacheKey() != frame.picture.cacheKey()) impl_->spare = std::move(old.picture);
    if (old.samples != frame.samples) impl_->spareSamples = std::const_pointer_cast<PlanarPicture>(std::move(old.samples));
  }
  Presented(frame);
  return true;
}

bool BackBufferPresenter::ReadBack(PictureCopy& out, int timeoutMs) {
  std::unique_lock lock(impl_->pictureMutex, std::chrono::milliseconds(timeoutMs));
  if (!lock.owns_lock() || impl_->width <= 0) return false;
  QImage& b = impl_->back;
  if (b.isNull()) {
    b = PaddedImage(QSize(impl_->width, impl_->height));
    if (b.isNull()) return false;
    impl_->Draw(impl_->backConverter, b, b.rect(), b.rect());
  }
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
