#include "platform/video/VideoPresenter.h"

#include <atomic>

namespace {
std::atomic<plat::IPresenterProvider*> g_provider{nullptr};
}

namespace plat {

CRect ComputePresentRect(const CRect& client, int width, int height) {
  const std::int64_t cw = client.Width(), ch = client.Height();
  if (cw <= 0 || ch <= 0 || width <= 0 || height <= 0) return {};
  CRect r = client;
  if (static_cast<double>(ch) * width / (static_cast<double>(cw) * height) > 1.0) {
    const auto cut = static_cast<LONG>((ch - cw * height / width) / 2);
    r.top += cut;
    r.bottom -= cut;
  } else {
    const auto cut = static_cast<LONG>((cw - ch * width / height) / 2);
    r.left += cut;
    r.right -= cut;
  }
  return r;
}

CRect CropSourceRect(const CRect& crop, int width, int height) {
  CRect source;
  source.IntersectRect(CRect(crop.left, crop.top, width + crop.right, height + crop.bottom),
                       CRect(0, 0, width, height));
  return source;
}

IPresenterProvider* SetPresenterProvider(IPresenterProvider* provider) { return g_provider.exchange(provider); }

std::shared_ptr<IVideoPresenter> PresenterFor(HWND window) {
  IPresenterProvider* p = g_provider.load();
  return p ? p->PresenterFor(window) : nullptr;
}

}  // namespace plat
