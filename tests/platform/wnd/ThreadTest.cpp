#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/Sync.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"

using plat::test::SpyWnd;

namespace {

class ThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(wnd.CreateTopLevel(CRect(0, 0, 50, 50)));
    wnd.answer = [this](UINT msg, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
      if (msg == WM_USER + 1) {
        handlerThread = std::this_thread::get_id();
        return static_cast<LRESULT>(w * 10 + static_cast<WPARAM>(l));
      }
      return std::nullopt;
    };
  }

  // Pumps until the worker ends.
  void PumpUntil(const std::atomic<bool>& done) {
    plat::test::PumpUntil([&] { return done.load(); });
  }

  SpyWnd wnd;
  std::thread::id handlerThread;
};

}  // namespace

TEST_F(ThreadTest, PostsFromAWorkerArriveOnTheWindowThreadInOrder) {
  const HWND h = wnd.m_hWnd;
  std::thread worker([h] {
    for (int i = 0; i < 50; ++i) PostMessage(h, WM_USER + 2, static_cast<WPARAM>(i), 0);
  });
  worker.join();
  plat::test::Pump();
  const auto got = wnd.Of(WM_USER + 2);
  ASSERT_EQ(got.size(), 50u);
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].wParam, i);
}

TEST_F(ThreadTest, ASendFromAWorkerWaitsForTheWindowThreadAndReturnsTheHandlersResult) {
  const HWND h = wnd.m_hWnd;
  std::atomic<bool> done{false};
  LRESULT result = 0;
  std::thread worker([&] {
    result = SendMessage(h, WM_USER + 1, 4, 2);
    done = true;
  });
  // The window thread is busy with something else first; the send waits until it pumps.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(done);
  PumpUntil(done);
  worker.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(result, 42);
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  // On the window thread itself a send is a direct call.
  EXPECT_EQ(wnd.SendMessage(WM_USER + 1, 1, 1), 11);
}

TEST_F(ThreadTest, SendsToAWindowThatGoesAwayOrWhileSendsAreAbortedReturnZero) {
  const HWND h = wnd.m_hWnd;
  std::atomic<bool> done{false};
  LRESULT result = -1;
  std::thread worker([&] {
    result = SendMessage(h, WM_USER + 1, 4, 2);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  wnd.DestroyWindow();  // the waiting sender is released
  worker.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(SendMessage(h, WM_USER + 1, 4, 2), 0);

  // A window thread that waits for a worker holds an abort scope: the worker's send returns 0
  // instead of waiting for a thread that does not pump.
  SpyWnd other;
  ASSERT_TRUE(other.CreateTopLevel(CRect(0, 0, 10, 10)));
  const HWND o = other.m_hWnd;
  plat::Thread t;
  std::atomic<LRESULT> sent{-1};
  ASSERT_TRUE(t.Start([&] { sent = SendMessage(o, WM_USER + 1, 1, 1); }));
  {
    plat::SendAbortScope scope;
    EXPECT_TRUE(t.Join(5000));
  }
  EXPECT_EQ(sent.load(), 0);
  plat::test::Pump();
}

TEST_F(ThreadTest, AWorkerShowsAndHidesWindowsThroughTheWindowThreadAndMayNotTouchThemDirectly) {
  std::vector<std::string> wrong;
  plat::test::OnWrongThread([&wrong](const char* operation) { wrong.emplace_back(operation); });
  const HWND h = wnd.m_hWnd;
  EXPECT_TRUE(wnd.IsWindowVisible());
  std::thread worker([&] {
    EXPECT_TRUE(ShowWindow(h, SW_HIDE));
    EXPECT_TRUE(PostMessage(h, WM_USER + 3, 0, 0));
  });
  worker.join();
  std::thread careless([&] {
    wnd.Invalidate();
    wnd.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  });
  careless.join();
  plat::test::OnWrongThread(nullptr);
#ifdef NDEBUG
  EXPECT_TRUE(wrong.empty());  // release builds do not check
#else
  EXPECT_EQ(wrong, (std::vector<std::string>{"CWnd::InvalidateRect", "CWnd::SetWindowPos"}));
#endif
  EXPECT_TRUE(wnd.IsWindowVisible());  // carried over, not done on the worker
  plat::test::Pump();
  EXPECT_FALSE(wnd.IsWindowVisible());
  EXPECT_FALSE(ShowWindow(h, SW_SHOW));  // on the window thread: at once, returns the old state
  EXPECT_TRUE(wnd.IsWindowVisible());
}
