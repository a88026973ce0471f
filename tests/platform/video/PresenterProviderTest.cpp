#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "platform/video/OffscreenPresenter.h"

namespace {

HWND Window(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

// A window layer with one presenter per channel window.
class Windows : public plat::IPresenterProvider {
 public:
  std::map<HWND, std::shared_ptr<plat::IVideoPresenter>> presenters;
  std::shared_ptr<plat::IVideoPresenter> PresenterFor(HWND window) override {
    const auto it = presenters.find(window);
    return it == presenters.end() ? nullptr : it->second;
  }
};

}  // namespace

TEST(PresenterProviderTest, AWindowsPresenterIsFoundThroughTheInstalledProvider) {
  EXPECT_EQ(plat::PresenterFor(Window(0x10)), nullptr);
  Windows windows;
  const auto channel = std::make_shared<plat::OffscreenPresenter>();
  windows.presenters[Window(0x10)] = channel;
  EXPECT_EQ(plat::SetPresenterProvider(&windows), nullptr);
  EXPECT_EQ(plat::PresenterFor(Window(0x10)), channel);
  EXPECT_EQ(plat::PresenterFor(Window(0x20)), nullptr);
  EXPECT_EQ(plat::SetPresenterProvider(nullptr), &windows);
  EXPECT_EQ(plat::PresenterFor(Window(0x10)), nullptr);
}
