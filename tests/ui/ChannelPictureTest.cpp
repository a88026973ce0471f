// What the channel window paints of a paused recording on the real engine, set against the back
// buffer (the picture at its own size with its on-screen text, as a snapshot reads it) scaled to
// the window as the present placed it: in each UI mode, zoomed with the wheel, letterboxed,
// floating and full screen. The on-screen text lies where the back buffer scaled whole to the
// picture's place has it, zoomed or not, and the back buffer stays the same whatever the window
// shows.
#include <gtest/gtest.h>

#include <QPainter>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <tuple>

#include "engine/IbpCtrl.h"
#include "engine/video/VideoCtx.h"
#include "layout/MainLayout.h"
#include "platform/video/BackBufferPresenter.h"
#include "platform/video/PresentedFrame.h"
#include "platform/video/qt/WindowPresenters.h"
#include "settings/AppConfig.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"
#include "ui/MainDlg.h"

namespace {

using plat::test::PumpUntil;

constexpr int kZoomSteps = 4;

QImage BackBuffer(const CIbpCtrl& engine) {
  plat::PictureCopy copy;
  if (!engine.Video(0)->Snapshot(copy)) return {};
  return QImage(reinterpret_cast<const uchar*>(copy.pixels.data()), copy.width, copy.height,
                QImage::Format_RGB32).copy();
}

// The box of the on-screen text's pixels (the settings draw it pure red) inside `area`; empty when
// there are none.
QRect TextBox(const QImage& image, const QRect& area) {
  QRect box;
  const QRect inside = area & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if (qRed(row[x]) >= 170 && qGreen(row[x]) <= 90 && qBlue(row[x]) <= 90) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// Each edge of `shown` within 2 pixels of the same edge of `expected`.
bool Near(const QRect& shown, const QRect& expected) {
  return std::abs(shown.left() - expected.left()) <= 2 && std::abs(shown.top() - expected.top()) <= 2 &&
         std::abs(shown.right() - expected.right()) <= 2 && std::abs(shown.bottom() - expected.bottom()) <= 2;
}

// The painted client area against the back buffer scaled as the frame places the picture (over
// the whole client area, or in proportion in its middle): black around it, close in colour inside
// it, and the text within 2 pixels of its place.
void ExpectPaintedIsTheBackBufferScaled(const QImage& painted, const QImage& back, const plat::PresentedFrame& frame,
                                        const std::string& name) {
  SCOPED_TRACE(name);
  plat::test::SavePng(painted, QString::fromStdString("channel-picture-" + name));
  ASSERT_EQ(painted.size(), frame.client);
  const QSize fitted = frame.source.size().scaled(frame.client, Qt::KeepAspectRatio);
  const QPoint middle((frame.client.width() - fitted.width()) / 2, (frame.client.height() - fitted.height()) / 2);
  EXPECT_TRUE(Near(frame.target, frame.letterbox ? QRect(middle, fitted) : QRect(QPoint(), frame.client)));
  QImage expected(frame.client, QImage::Format_RGB32);
  expected.fill(Qt::black);
  QPainter(&expected).drawImage(frame.target, back.copy(frame.source).scaled(frame.target.size(), Qt::IgnoreAspectRatio,
                                                                              Qt::SmoothTransformation));
  long long difference = 0;
  int outside = 0;
  for (int y = 0; y < painted.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(painted.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
    for (int x = 0; x < painted.width(); ++x) {
      if (!frame.target.contains(x, y) && (a[x] & 0xFFFFFF) != 0) ++outside;
      difference += std::abs(qRed(a[x]) - qRed(b[x])) + std::abs(qGreen(a[x]) - qGreen(b[x])) +
                    std::abs(qBlue(a[x]) - qBlue(b[x]));
    }
  }
  EXPECT_EQ(outside, 0);
  EXPECT_LT(static_cast<double>(difference) / (3.0 * painted.width() * painted.height()), 6.0);
  // The text goes where it lies on the whole picture, at its scale, also when zoomed.
  const QRect text = TextBox(back, back.rect());
  ASSERT_FALSE(text.isEmpty());
  const QTransform toClient = QTransform::fromScale(double(frame.target.width()) / back.width(),
                                                    double(frame.target.height()) / back.height()) *
                              QTransform::fromTranslate(frame.target.left(), frame.target.top());
  const QRect where = toClient.mapRect(QRectF(text.topLeft(), QSizeF(text.size()))).toAlignedRect();
  EXPECT_TRUE(Near(TextBox(painted, where.adjusted(-12, -12, 12, 12)), where)) << where.x() << "," << where.y();
}

class ChannelPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    g_appConfig.SetAppFolder(CString(dir_.Path()));
    // The date and time at the top left of the picture.
    std::ofstream(dir_.File("Config.ini")) << "[Config]\nShowOSDTime=1\n";
    fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0);
    desc.recordings[0].video = {720, 576, 30, 30, 24};  // 5:4 in 16:9 windows: bars beside it
    ASSERT_TRUE(fixtures::BuildStore(desc, backup_));
  }
  void TearDown() override {
    plat::test::SetScreenSize(1920, 1080);
    g_appConfig.SetAppFolder(programFolder_);
  }

  const CString programFolder_ = g_appConfig.GetAppFolder();
  fixtures::ScratchDir dir_{"channel-picture"};
  const std::string backup_ = dir_.File("one.sd");
  plat::test::FakeWebBrowsers browsers_;
  plat::WindowPresenters presenters_;
};

}  // namespace

TEST_F(ChannelPictureTest, ThePaintedPictureIsTheBackBufferScaledWithItsTextInPlaceInEveryModeAndWindow) {
  for (const auto& [width, height, mode] : {std::tuple{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}}) {
    SCOPED_TRACE(mode);
    plat::test::SetScreenSize(width, height);
    CMainDlg dlg;
    ASSERT_TRUE(dlg.Create(CMainDlg::kTemplate, nullptr));
    ASSERT_EQ(dlg.GetUiMode(), mode);
    auto* engine = dynamic_cast<CIbpCtrl*>(dlg.GetEngine());
    ASSERT_NE(engine, nullptr);
    dlg.ShowWindow(SW_SHOW);
    CPanelDlg& channel = dlg.GetChannelWindow();
    channel.ShowWindow(SW_SHOW);
    // Played and held at its first picture.
    engine->SetSource(CString(backup_));
    engine->SetPause(1);
    ASSERT_EQ(engine->Play(engine->OpenStore(), 0), EngineStart::kStarted);
    ASSERT_TRUE(PumpUntil([&] { return engine->Video(0)->PresentedPictures() > 0; }));
    plat::VideoWidget* widget = presenters_.WidgetOf(channel.m_hWnd);
    ASSERT_NE(widget, nullptr);
    const auto& presenter = dynamic_cast<const plat::BackBufferPresenter&>(*widget->Presenter());
    const QImage back = BackBuffer(*engine);
    ASSERT_FALSE(back.isNull());

    // Waits until the window shows a present made for its size that the condition accepts.
    plat::PresentedFrame frame;
    const auto shown = [&](const std::function<bool()>& accepted) {
      return PumpUntil([&] {
        presenter.GetPresented(frame);
        return frame.client == widget->size() && accepted();
      });
    };
    const auto check = [&](const std::string& name) {
      QImage painted(widget->size(), QImage::Format_RGB32);  // what the widget's painting paints
      painted.fill(Qt::white);
      widget->render(&painted);
      ExpectPaintedIsTheBackBufferScaled(painted, back, frame, std::to_string(mode) + "-" + name);
      EXPECT_EQ(BackBuffer(*engine), back) << name;  // a snapshot does not change with the window
    };
    const ui::LayoutRect& video = ui::AreaRect(ui::Area::kVideo, mode);
    ASSERT_TRUE(shown([&] { return frame.target.size() == frame.client; }));
    check("embedded");
    dlg.SetFocus();
    // Zoomed about the middle far enough to put the text's place outside the part shown; the
    // paused picture shows the zoom at once.
    for (int step = 0; step < kZoomSteps; ++step) {
      plat::test::Wheel(&dlg, CPoint((video.left + video.right) / 2, (video.top + video.bottom) / 2), 120);
    }
    ASSERT_TRUE(shown([&] { return frame.source.width() < back.width() && !frame.source.contains(QPoint(8, 8)); }));
    check("zoomed");
    engine->SetKeepProportion(true);
    engine->RedrawVideo();
    ASSERT_TRUE(shown([&] { return frame.letterbox; }));
    check("letterbox");
    engine->SetKeepProportion(false);
    for (const char* window : {"floating", "full-screen"}) {
      channel.SendMessage(WM_LBUTTONDBLCLK, 0, 0);
      ASSERT_TRUE(shown([&] { return !frame.letterbox; }));
      check(window);
    }
    channel.SendMessage(WM_LBUTTONDBLCLK, 0, 0);
    engine->Close();
  }
}
