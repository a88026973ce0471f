#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QWidget>

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/PaintDC.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"

using plat::test::Pixel;

namespace {

// A window that fills what it paints with its colour and logs the order of paints.
class Painter : public CWnd {
 public:
  Painter(COLORREF color, std::vector<Painter*>* log, bool erases = false) : color_(color), log_(log), erases_(erases) {}

  BOOL Make(CWnd* parent, const CRect& rc, DWORD exStyle = 0) {
    WNDCLASSW cls;
    cls.lpszClassName = L"PaintTestWindow";
    RegisterClass(&cls);
    return CreateEx(exStyle, cls.lpszClassName, L"", (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, rc, parent, 1);
  }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_ERASEBKGND) {
      ++erases;
      if (!erases_) return TRUE;
    }
    if (msg == WM_PAINT) {
      CPaintDC dc(this);
      if (log_) log_->push_back(this);
      dc.GetClipBox(&lastClip);
      lastErase = dc.m_ps.fErase;
      if (fill_) dc.FillSolidRect(&lastClip, color_);
      return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
  }

  int erases = 0;
  CRect lastClip;
  BOOL lastErase = FALSE;
  bool fill_ = true;

 private:
  COLORREF color_;
  std::vector<Painter*>* log_;
  bool erases_;
};

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::Reset(); }
};

}  // namespace

TEST_F(PaintTest, OnlyTheInvalidatedPartIsErasedAndPaintedAndParentsPaintBeforeChildren) {
  std::vector<Painter*> order;
  Painter parent(RGB(255, 0, 0), &order, true);
  ASSERT_TRUE(parent.Make(nullptr, CRect(50, 50, 250, 200)));
  Painter child(RGB(0, 0, 255), &order);
  ASSERT_TRUE(child.Make(&parent, CRect(20, 20, 120, 100)));
  plat::test::Pump();
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0], &parent);
  EXPECT_EQ(order[1], &child);
  EXPECT_EQ(parent.erases, 1);
  EXPECT_EQ(Pixel(&parent, 10, 10), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(&child, 10, 10), RGB(0, 0, 255));

  // An invalidation paints only its rectangle; without erase, no WM_ERASEBKGND.
  order.clear();
  const CRect part(30, 5, 60, 15);
  parent.InvalidateRect(&part, FALSE);
  plat::test::Pump();
  ASSERT_EQ(order.size(), 1u);
  EXPECT_EQ(parent.lastClip, part);
  EXPECT_EQ(parent.erases, 1);
  parent.Invalidate();
  plat::test::Pump();
  EXPECT_EQ(parent.erases, 2);

  // Nothing invalid: nothing painted; UpdateWindow paints at once.
  order.clear();
  plat::test::Pump();
  EXPECT_TRUE(order.empty());
  child.Invalidate(FALSE);
  child.UpdateWindow();
  EXPECT_EQ(order.size(), 1u);

  // The parent repainting everything leaves the child on top on the screen.
  order.clear();
  parent.Invalidate();
  plat::test::Pump();
  const QImage screen = plat::test::Grab(&parent);
  EXPECT_EQ(screen.pixel(40, 40), qRgb(0, 0, 255));
  EXPECT_EQ(screen.pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(PaintTest, ATransparentChildStartsFromItsParentsPixelsAndRepaintsAfterIt) {
  std::vector<Painter*> order;
  Painter parent(RGB(0, 128, 0), &order);
  ASSERT_TRUE(parent.Make(nullptr, CRect(0, 0, 200, 200)));
  Painter glass(RGB(255, 255, 255), &order);
  glass.fill_ = false;  // paints nothing of its own
  ASSERT_TRUE(glass.Make(&parent, CRect(50, 50, 100, 100), WS_EX_TRANSPARENT));
  plat::test::Pump();
  EXPECT_EQ(Pixel(&glass, 10, 10), RGB(0, 128, 0));

  // The parent changes colour under the child: the child repaints from the new pixels, after it.
  Painter* const parentPtr = &parent;
  order.clear();
  {
    CClientDC dc(parentPtr);
    dc.FillSolidRect(CRect(0, 0, 200, 200), RGB(10, 20, 30));
  }
  const CRect under(40, 40, 80, 80);
  parent.fill_ = false;
  parent.InvalidateRect(&under, FALSE);
  plat::test::Pump();
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0], &parent);
  EXPECT_EQ(order[1], &glass);
  EXPECT_EQ(Pixel(&glass, 5, 5), RGB(10, 20, 30));
  EXPECT_EQ(glass.lastClip, CRect(0, 0, 30, 30));
}

TEST_F(PaintTest, ClientContextsDrawOutsidePaintingAndPaintContextsWithNothingInvalidClipEverything) {
  Painter wnd(RGB(1, 2, 3), nullptr);
  ASSERT_TRUE(wnd.Make(nullptr, CRect(0, 0, 60, 40)));
  plat::test::Pump();
  CDC* dc = wnd.GetDC();
  ASSERT_NE(dc, nullptr);
  CRect box;
  EXPECT_EQ(dc->GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 60, 40));
  dc->SetPixel(7, 8, RGB(200, 100, 50));
  EXPECT_EQ(wnd.ReleaseDC(dc), 1);
  EXPECT_EQ(wnd.ReleaseDC(dc), 0);
  EXPECT_EQ(Pixel(&wnd, 7, 8), RGB(200, 100, 50));
  EXPECT_EQ(plat::test::Grab(&wnd).pixel(7, 8), qRgb(200, 100, 50));

  // A paint context made when nothing is invalid may draw nothing.
  CPaintDC paint(&wnd);
  EXPECT_EQ(paint.GetClipBox(&box), NULLREGION);
  paint.SetPixel(1, 1, RGB(9, 9, 9));
  EXPECT_EQ(Pixel(&wnd, 1, 1), RGB(1, 2, 3));

  // A context kept past its window's end draws nowhere.
  CDC* kept = wnd.GetDC();
  wnd.DestroyWindow();
  EXPECT_EQ(kept->SetPixel(1, 1, RGB(1, 1, 1)), CLR_INVALID);
  EXPECT_EQ(wnd.ReleaseDC(kept), 1);
}

TEST_F(PaintTest, ALayeredWindowIsTranslucentAndSeeThroughWhereItsPixelsHaveTheKeyColour) {
  Painter keyed(RGB(0, 0, 0), nullptr);
  ASSERT_TRUE(keyed.Make(nullptr, CRect(300, 300, 400, 400), WS_EX_LAYERED));
  plat::test::SpyWnd below;
  ASSERT_TRUE(below.CreateTopLevel(CRect(250, 250, 450, 450)));
  keyed.ShowWindow(SW_SHOW);  // on top again
  plat::test::Pump();
  {
    CClientDC dc(&keyed);
    dc.FillSolidRect(CRect(0, 0, 50, 100), RGB(200, 0, 0));  // left half drawn, right half stays black
  }
  ASSERT_TRUE(keyed.SetLayeredWindowAttributes(RGB(0, 0, 0), 230, LWA_COLORKEY | LWA_ALPHA));
  EXPECT_NEAR(keyed.Widget()->windowOpacity(), 230 / 255.0, 0.01);
  EXPECT_EQ(CWnd::WindowFromPoint({310, 350}), &keyed);
  EXPECT_EQ(CWnd::WindowFromPoint({390, 350}), &below);
  EXPECT_FALSE(below.SetLayeredWindowAttributes(0, 255, LWA_ALPHA));  // not a layered window
  ASSERT_TRUE(keyed.SetLayeredWindowAttributes(0, 255, 0));
  EXPECT_EQ(CWnd::WindowFromPoint({390, 350}), &keyed);

  // A colour change reaches every window.
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  plat::test::SetSysColor(COLOR_3DFACE, RGB(1, 2, 3));
  EXPECT_EQ(below.Of(WM_SYSCOLORCHANGE).size(), 1u);
  EXPECT_EQ(GetSysColor(COLOR_3DFACE), RGB(1, 2, 3));
  plat::test::SetSysColor(COLOR_3DFACE, face);
}

namespace {
int g_qtWarnings = 0;
void CountWarnings(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtDebugMsg && type != QtInfoMsg) ++g_qtWarnings;
}
}  // namespace

TEST_F(PaintTest, AWindowLaidOutAtZeroSizePaintsNothingAndGrowsBackClean) {
  Painter parent(RGB(255, 0, 0), nullptr);
  ASSERT_TRUE(parent.Make(nullptr, CRect(0, 0, 200, 150)));
  Painter child(RGB(0, 0, 255), nullptr);
  ASSERT_TRUE(child.Make(&parent, CRect(10, 10, 60, 60), WS_EX_TRANSPARENT));
  plat::test::Pump();
  g_qtWarnings = 0;
  const QtMessageHandler old = qInstallMessageHandler(CountWarnings);
  child.MoveWindow(0, 0, 0, 0, TRUE);
  plat::test::Pump();
  child.MoveWindow(10, 10, 50, 50, TRUE);
  plat::test::Pump();
  qInstallMessageHandler(old);
  EXPECT_EQ(g_qtWarnings, 0);
  EXPECT_EQ(Pixel(&child, 5, 5), RGB(0, 0, 255));
}

namespace {

// What Qt paints of a widget.
class PaintWatch : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++paints;
      painted += static_cast<QPaintEvent*>(e)->region();
    }
    return false;
  }
  int paints = 0;
  QRegion painted;
};

}  // namespace

// A window that draws a small part of itself between paints (a curve beside the video) shows
// that part again, not the whole window.
TEST_F(PaintTest, AClientContextShowsAgainOnlyWhatItDrew) {
  Painter wnd(RGB(0, 0, 0), nullptr);
  ASSERT_TRUE(wnd.Make(nullptr, CRect(0, 0, 400, 300)));
  PaintWatch watch;
  wnd.Widget()->installEventFilter(&watch);
  const auto nextPaint = [&] {
    watch.painted = QRegion();
    const int before = watch.paints;
    return plat::test::PumpUntil([&] { return watch.paints > before; });
  };
  ASSERT_TRUE(nextPaint());

  {
    CClientDC dc(&wnd);
    dc.FillSolidRect(CRect(250, 200, 350, 260), RGB(0, 200, 0));
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(250, 270, L"42 km/h");
  }
  ASSERT_TRUE(nextPaint());
  EXPECT_TRUE(QRect(200, 150, 200, 150).contains(watch.painted.boundingRect()));
  EXPECT_TRUE(watch.painted.contains(QRect(250, 200, 100, 60)));

  // A kept context is shown at each paint pass, its drawing only.
  CDC* held = wnd.GetDC();
  held->FillSolidRect(CRect(0, 0, 50, 50), RGB(200, 0, 0));
  ASSERT_TRUE(nextPaint());
  EXPECT_EQ(watch.painted, QRegion(0, 0, 50, 50));
  wnd.ReleaseDC(held);
  const QImage screen = plat::test::Grab(&wnd);
  EXPECT_EQ(screen.pixel(300, 230), qRgb(0, 200, 0));
  EXPECT_EQ(screen.pixel(5, 5), qRgb(200, 0, 0));
  wnd.Widget()->removeEventFilter(&watch);
}
