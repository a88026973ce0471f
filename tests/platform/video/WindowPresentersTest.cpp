// A channel window of the window layer given to the engine as its video window: the engine's
// pictures of a generated recording show in the window's client area, which the video widget
// follows when the window is resized.
#include "platform/video/qt/WindowPresenters.h"

#include <thread>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "engine/IbpCtrl.h"
#include "platform/video/BackBufferPresenter.h"
#include "platform/video/PresentedFrame.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "testdata/TestStream.h"
#include "tests/platform/video/PictureDrawing.h"
#include "tests/platform/video/VideoApp.h"
#include "tests/support/Eventually.h"

using namespace videotest;
using plat::test::Eventually;

namespace {

plat::PresentedFrame Presented(const plat::VideoWidget& widget) {
  plat::PresentedFrame frame;
  dynamic_cast<const plat::BackBufferPresenter&>(*widget.Presenter()).GetPresented(frame);
  return frame;
}

// The client area as the screen shows it, compared with what the presenter composes for it once
// the UI thread has taken the last picture presented.
void ExpectShowsPresented(const CWnd& window, const plat::VideoWidget& widget, const std::string& name) {
  const auto& presenter = dynamic_cast<const plat::BackBufferPresenter&>(*widget.Presenter());
  QImage shown;
  QImage composed;
  Eventually([&] {
    plat::test::Pump();
    shown = plat::test::Grab(&window);
    composed = plat::ComposeWindow(presenter, shown.size()).convertToFormat(shown.format());
    return shown == composed;
  });
  plat::test::SavePng(shown, QString::fromStdString(name));
  EXPECT_EQ(shown, composed) << name;
}

}  // namespace

TEST(WindowPresentersTest, TheEnginesPicturesShowInTheChannelWindowsClientAreaAtItsSize) {
  WindowLayer();
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  desc.recordings[0].video = {320, 180, 30, 0, 30};
  const fixtures::ScratchDir dir("windowpresenters");
  const std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, dir.File("card.sd"));
  ASSERT_TRUE(layout);
  ASSERT_TRUE(fixtures::WriteStreamFile(dir.File("units.h264"), fixtures::RecordingUnits(*layout, 0)));
  const std::vector<std::string> hashes = fixtures::FfmpegFrameHashes(dir.File("units.h264"), fixtures::kBgraArgs);
  ASSERT_FALSE(hashes.empty());

  plat::test::SpyWnd main;
  plat::test::SpyWnd channel;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 700, 500)));
  ASSERT_TRUE(channel.CreateChild(&main, CRect(20, 30, 420, 330), 1016, WS_CHILD | WS_VISIBLE | WS_BORDER));
  auto presenters = std::make_unique<plat::WindowPresenters>();
  EXPECT_EQ(plat::PresenterFor(nullptr), nullptr);

  IbpCtrlPtr engine(CIbpCtrl::Create());
  engine->SetSource(CString(layout->path));
  engine->SetVideoWindow(channel.m_hWnd, 0);
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return engine->Video(0)->PresentedPictures() == hashes.size(); }));
  plat::VideoWidget* widget = presenters->WidgetOf(channel.m_hWnd);
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->geometry(), QRect(1, 1, 398, 298));  // inside the border
  // The widget shows the picture scaled to its own size once the UI thread has taken it from the
  // video thread; the back buffer of the picture's size, made when asked, is the last picture.
  EXPECT_TRUE(Eventually([&] {
    plat::test::Pump();
    return Presented(*widget).samples && Presented(*widget).client == widget->size();
  }));
  plat::PictureCopy back;
  ASSERT_TRUE(engine->Video(0)->Snapshot(back));
  const QImage last(reinterpret_cast<const uchar*>(back.pixels.data()), back.width, back.height, QImage::Format_RGB32);
  EXPECT_EQ(plat::PictureHash(last), hashes.back());
  ExpectShowsPresented(channel, *widget, "window-presenters-stretched");

  // Resized, the widget follows the client area; letterboxed, the picture keeps its proportion.
  channel.MoveWindow(20, 30, 500, 200);
  plat::test::Pump();
  EXPECT_EQ(widget->geometry(), QRect(1, 1, 498, 198));
  engine->SetKeepProportion(true);
  engine->RedrawVideo();
  ASSERT_TRUE(Eventually([&] { return Presented(*widget).letterbox; }));
  ExpectShowsPresented(channel, *widget, "window-presenters-letterbox");
  const QImage shown = plat::test::Grab(&channel);
  EXPECT_TRUE(AllOf(shown, 0, 0, 60, 198, kBlack));
  EXPECT_FALSE(AllOf(shown, 200, 80, 100, 40, kBlack));
  engine.reset();

  // Asked on another thread, a window's widget is made on the UI thread for a later asking.
  plat::test::SpyWnd other;
  ASSERT_TRUE(other.CreateChild(&main, CRect(0, 0, 50, 40), 1017));
  std::shared_ptr<plat::IVideoPresenter> fromThread;
  std::thread([&] { fromThread = plat::PresenterFor(other.m_hWnd); }).join();
  EXPECT_EQ(fromThread, nullptr);
  plat::test::Pump();
  ASSERT_NE(presenters->WidgetOf(other.m_hWnd), nullptr);
  EXPECT_EQ(plat::PresenterFor(other.m_hWnd), presenters->WidgetOf(other.m_hWnd)->Presenter());

  // A window that goes takes its widget along; the provider takes the rest out when it goes.
  const HWND channelWindow = channel.m_hWnd;
  EXPECT_TRUE(channel.DestroyWindow());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(presenters->WidgetOf(channelWindow), nullptr);
  presenters.reset();
  EXPECT_EQ(plat::PresenterFor(other.m_hWnd), nullptr);
  EXPECT_TRUE(main.DestroyWindow());
}
