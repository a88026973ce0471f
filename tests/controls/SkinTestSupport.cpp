#include "SkinTestSupport.h"

#include <QPainter>

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"

namespace skintest {
namespace {

QColor QtColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

CSize ClientSize(const CWnd& wnd) {
  CRect rc;
  wnd.GetClientRect(&rc);
  return rc.Size();
}

}  // namespace

QImage Strip(const std::vector<COLORREF>& frames, int frameWidth, int height, bool mask) {
  const int count = static_cast<int>(frames.size()) + (mask ? 1 : 0);
  QImage image(frameWidth * count, height, QImage::Format_RGB32);
  QPainter p(&image);
  for (int i = 0; i < static_cast<int>(frames.size()); ++i) {
    p.fillRect(i * frameWidth, 0, frameWidth, height, QtColor(frames[static_cast<size_t>(i)]));
  }
  if (mask) {
    const int x = static_cast<int>(frames.size()) * frameWidth;
    p.fillRect(x, 0, frameWidth / 2, height, Qt::white);
    p.fillRect(x + frameWidth / 2, 0, frameWidth - frameWidth / 2, height, Qt::black);
  }
  return image;
}

QImage Solid(int width, int height, COLORREF color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QtColor(color));
  return image;
}

void Register(UINT id, const QImage& image) { plat::RegisterBitmapResource(id, image); }

void RegisterFourStates(UINT id, int frameWidth, int height, bool mask) {
  Register(id, Strip({kRed, kGreen, kBlue, kGrey}, frameWidth, height, mask));
}

COLORREF At(const QImage& image, int x, int y) { return plat::ColorOf(image.pixel(x, y)); }

int FirstColumnOf(const CWnd& wnd, int y, COLORREF color) {
  for (int x = 0; x < ClientSize(wnd).cx; ++x) {
    if (plat::test::Pixel(&wnd, x, y) == color) return x;
  }
  return -1;
}

int FirstRowOf(const CWnd& wnd, int x, COLORREF color) {
  for (int y = 0; y < ClientSize(wnd).cy; ++y) {
    if (plat::test::Pixel(&wnd, x, y) == color) return y;
  }
  return -1;
}

int CountOf(const CWnd& wnd, COLORREF color) {
  const CSize size = ClientSize(wnd);
  int n = 0;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) n += plat::test::Pixel(&wnd, x, y) == color ? 1 : 0;
  }
  return n;
}

Posts PostedTo(const plat::test::SpyWnd& wnd, UINT msg) {
  Posts out;
  for (const auto& r : wnd.Of(msg)) out.emplace_back(r.wParam, static_cast<int>(r.lParam));
  return out;
}

void ParentWindowTest::SetUp() {
  plat::test::Reset();
  ASSERT_TRUE(parent.CreateTopLevel(CRect(100, 100, 500, 400)));
}

std::vector<WPARAM> ParentWindowTest::Clicks() const {
  std::vector<WPARAM> out;
  for (const auto& r : parent.Of(WM_COMMAND)) {
    if (HIWORD(r.wParam) == BN_CLICKED) out.push_back(LOWORD(r.wParam));
  }
  return out;
}

}  // namespace skintest
