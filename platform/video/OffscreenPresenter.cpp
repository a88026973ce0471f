#include "platform/video/OffscreenPresenter.h"

#include <array>
#include <memory>

extern "C" {
#include <libavutil/md5.h>
#include <libavutil/mem.h>
}

#include "platform/gdi/GdiQt.h"
#include "platform/video/PresentedFrame.h"

namespace plat {

std::string PictureHash(const QImage& picture) {
  std::unique_ptr<AVMD5, decltype(&av_free)> md5(av_md5_alloc(), &av_free);
  if (!md5) return {};
  av_md5_init(md5.get());
  const auto rowBytes = static_cast<std::size_t>(picture.width()) * 4;
  for (int y = 0; y < picture.height(); ++y) av_md5_update(md5.get(), picture.constScanLine(y), rowBytes);
  std::array<std::uint8_t, 16> digest{};
  av_md5_final(md5.get(), digest.data());
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t d : digest) hex += {kDigits[d >> 4], kDigits[d & 15]};
  return hex;
}

void OffscreenPresenter::Presented(const PresentedFrame& frame) {
  PresentRecord record{ToCRect(frame.source), frame.letterbox,
                       frame.picture.width(), frame.picture.height(), {}};
  std::lock_guard lock(mutex_);
  // A repaint presents the same, unchanged picture again: its hash is known.
  const std::int64_t key = frame.picture.cacheKey();
  record.hash = !presents_.empty() && key == hashedKey_ ? presents_.back().hash : PictureHash(frame.picture);
  hashedKey_ = key;
  presents_.push_back(std::move(record));
}

std::vector<PresentRecord> OffscreenPresenter::Presents() const {
  std::lock_guard lock(mutex_);
  return presents_;
}

std::size_t OffscreenPresenter::PresentCount() const {
  std::lock_guard lock(mutex_);
  return presents_.size();
}

}  // namespace plat
