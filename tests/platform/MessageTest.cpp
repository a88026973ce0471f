#include <vector>

#include <gtest/gtest.h>

#include "platform/Message.h"

namespace {

struct Recorder : plat::IMessageRouter {
  struct Msg {
    HWND wnd;
    UINT msg;
    WPARAM w;
    LPARAM l;
  };
  std::vector<Msg> posted;
  std::vector<int> shows;
  bool Post(HWND wnd, UINT msg, WPARAM w, LPARAM l) override {
    posted.push_back({wnd, msg, w, l});
    return true;
  }
  LRESULT Send(HWND, UINT msg, WPARAM, LPARAM) override { return static_cast<LRESULT>(msg) + 1; }
  bool Show(HWND, int command) override {
    shows.push_back(command);
    return true;
  }
  void AbortSends() override { ++aborts; }
  int aborts = 0;
};

}  // namespace

TEST(MessageTest, MessagesGoThroughTheInstalledRouterOnly) {
  HWND wnd = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(plat::MessageRouter(), nullptr);
  EXPECT_FALSE(PostMessage(wnd, 0x49B, 1, -1));  // nobody to deliver to
  EXPECT_EQ(SendMessage(wnd, 0x5F4, 1, 0), 0);

  Recorder rec;
  EXPECT_EQ(plat::SetMessageRouter(&rec), nullptr);
  EXPECT_TRUE(PostMessage(wnd, 0x49B, 7, -1));
  EXPECT_FALSE(PostMessage(nullptr, 0x49B, 7, -1));  // no window: nothing posted
  EXPECT_EQ(SendMessage(wnd, 0x5F4, 0, 0), 0x5F5);
  EXPECT_TRUE(ShowWindow(wnd, SW_HIDE));
  ASSERT_EQ(rec.posted.size(), 1u);
  EXPECT_EQ(rec.posted[0].msg, 0x49Bu);
  EXPECT_EQ(rec.posted[0].w, 7u);
  EXPECT_EQ(rec.posted[0].l, -1);
  EXPECT_EQ(rec.shows, std::vector<int>{SW_HIDE});
  EXPECT_EQ(plat::SetMessageRouter(nullptr), &rec);
}

TEST(MessageTest, AbortScopesReleaseWaitingSendsWhileTheyLast) {
  Recorder rec;
  plat::SetMessageRouter(&rec);
  EXPECT_FALSE(plat::SendsAborted());
  {
    plat::SendAbortScope outer;
    EXPECT_TRUE(plat::SendsAborted());
    EXPECT_EQ(rec.aborts, 1);
    {
      plat::SendAbortScope inner;
      EXPECT_EQ(rec.aborts, 2);
    }
    EXPECT_TRUE(plat::SendsAborted());  // the outer scope still holds
  }
  EXPECT_FALSE(plat::SendsAborted());
  plat::SetMessageRouter(nullptr);
}
