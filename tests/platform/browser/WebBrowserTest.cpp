#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "platform/browser/WebBrowser.h"
#include "platform/wnd/DragDrop.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"

using plat::test::SpyWnd;

namespace {

using plat::test::RunUntil;

struct PageEvents : plat::IWebBrowserEvents {
  void OnDocumentComplete(const CString& url) override { completed.push_back(url); }
  void OnNavigateError(const CString& url) override { failed.push_back(url); }
  void OnSelectRoad(int videoTime) override { roads.push_back(videoTime); }
  std::vector<CString> completed;
  std::vector<CString> failed;
  std::vector<int> roads;
};

// The main window over the page: it sees the keys and presses of its tree first and keeps F6
// and Space, and notes the files dropped on it.
class OwnerWnd : public SpyWnd {
 public:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) keys.push_back(msg->wParam);
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_F6 || msg->wParam == VK_SPACE);
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != WM_DROPFILES) return SpyWnd::WindowProc(msg, wParam, lParam);
    auto* drop = reinterpret_cast<HDROP>(wParam);
    wchar_t path[512];
    if (DragQueryFile(drop, 0, path, 512) > 0) dropped.push_back(CString(path));
    DragQueryPoint(drop, &droppedAt);
    DragFinish(drop);
    return 0;
  }
  std::vector<WPARAM> keys;
  std::vector<CString> dropped;
  POINT droppedAt{-1, -1};
};

class WebBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    // These pages are never shown, so their engine is started at once.
    plat::StartWebBrowsers();
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 400, 300)));
    browser = plat::MakeQtWebBrowser(events);
    ASSERT_TRUE(browser->Create(&owner, CRect(10, 10, 390, 290), 100));
  }
  void TearDown() override {
    browser.reset();
    owner.DestroyWindow();
  }

  CString WritePage(const char* name, const QByteArray& html) {
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html);
    return CString(folder.filePath(name).toStdWString());
  }
  void Load(const CString& page) {
    ASSERT_TRUE(browser->Navigate(page));
    ASSERT_TRUE(RunUntil([&] { return !events.completed.empty() || !events.failed.empty(); }));
    ASSERT_EQ(events.completed.size(), 1u);
  }
  // The element's value as UTF-8; nothing for an element that the page does not have.
  std::optional<std::string> Read(const CString& id) {
    std::optional<std::optional<CString>> result;
    browser->GetElementValue(id, [&](std::optional<CString> v) { result = v; });
    EXPECT_TRUE(RunUntil([&] { return result.has_value(); }));
    if (!result || !*result) return std::nullopt;
    return QString::fromStdWString(std::wstring((*result)->GetString())).toStdString();
  }

  QTemporaryDir folder;
  OwnerWnd owner;
  PageEvents events;
  std::unique_ptr<plat::IWebBrowser> browser;
};

}  // namespace

TEST_F(WebBrowserTest, TheProgramWritesAndReadsInputsCallsFunctionsAndHearsOnSelectRoad) {
  Load(WritePage("map.htm", R"(<html><head><script>
    function setMap() { document.getElementById('map_status').value = 'set ' + document.getElementById('map_lng').value; }
    function select() { external.OnSelectRoad(document.getElementById('videoTime').value); }
    </script></head><body style="background: #00c000">
    <input type="hidden" id="map_lng" value="0"><input type="hidden" id="map_status" value="stopped">
    <input type="hidden" id="videoTime" value="0"></body></html>)"));
  EXPECT_EQ(browser->Wnd().GetParent(), &owner);
  // The page shows on the browser's rectangle of the owner, and only there.
  QImage shot;
  EXPECT_TRUE(RunUntil([&] {
    shot = plat::test::Grab(&owner);
    return shot.pixel(200, 150) == qRgb(0, 0xc0, 0);
  }));
  plat::test::SavePng(shot, "browser_page_in_owner");
  EXPECT_NE(shot.pixel(5, 5), qRgb(0, 0xc0, 0));
  EXPECT_EQ(shot.pixel(11, 11), qRgb(0, 0xc0, 0));
  browser->Wnd().MoveWindow(0, 0, 400, 300);  // the page follows its window
  EXPECT_TRUE(RunUntil([&] { return plat::test::Grab(&owner).pixel(395, 295) == qRgb(0, 0xc0, 0); }));

  browser->SetElementValue(L"map_lng", L"121.565000");
  browser->SetElementValue(L"nowhere", L"1");
  browser->CallScript(L"BaseLine");  // the page does not define it
  browser->CallScript(L"setMap");
  EXPECT_EQ(Read(L"map_status"), "set 121.565000");
  EXPECT_EQ(Read(L"nowhere"), std::nullopt);

  browser->SetElementValue(L"videoTime", L"1234");
  browser->CallScript(L"select");
  ASSERT_TRUE(RunUntil([&] { return !events.roads.empty(); }));
  EXPECT_EQ(events.roads, std::vector<int>{1234});
}

TEST_F(WebBrowserTest, ThePageReachesOnlyTheOneMethodServedResourcesAndNoOtherFileOrAddress) {
  WritePage("secret.txt", "secret");
  browser->ServeResource(L"maplib.js", "text/javascript", "window.mapLibrary = 'stand-in';");
  browser->ServeUrl(L"https://maps.example.test/api/js", L"maplib.js");
  Load(WritePage("map.htm", R"(<html><head>
    <script src="https://maps.example.test/api/js?v=3.23"></script>
    <script>
    function note(id, v) { document.getElementById(id).value = v; }
    function probe() {
      note('library', String(window.mapLibrary));
      note('reach', [typeof qt, typeof QWebChannel, Object.keys(external).join(','),
                     typeof external.deleteLater, typeof external.objectName].join(' '));
      fetch('secret.txt').then(function (r) { return r.text(); })
        .then(function (t) { note('file', 'read ' + t); }, function () { note('file', 'refused'); });
      fetch('https://example.com/').then(function () { note('net', 'answered'); }, function () { note('net', 'refused'); });
      document.dispatchEvent(new CustomEvent('player-select-road', { detail: 'x' }));
      external.OnSelectRoad('not a number');
      external.OnSelectRoad(-1);
    }
    </script></head><body>
    <input id="library"><input id="reach"><input id="file"><input id="net"></body></html>)"));

  browser->CallScript(L"probe");
  ASSERT_TRUE(RunUntil([&] { return Read(L"file") != "" && Read(L"net") != ""; }));
  EXPECT_EQ(Read(L"library"), "stand-in");
  EXPECT_EQ(Read(L"reach"), "undefined undefined OnSelectRoad undefined undefined");
  EXPECT_EQ(Read(L"file"), "refused");
  EXPECT_EQ(Read(L"net"), "refused");
  ASSERT_TRUE(RunUntil([&] { return !events.roads.empty(); }));
  EXPECT_EQ(events.roads, std::vector<int>{-1});
  EXPECT_TRUE(events.failed.empty());
}

TEST_F(WebBrowserTest, OnlyLocalPagesLoadAndAMissingOneIsAFailedLoad) {
  EXPECT_FALSE(browser->Navigate(L"https://example.com/"));
  EXPECT_FALSE(browser->Navigate(CString(folder.filePath("missing.htm").toStdWString())));
  browser->ServeResource(L"page.htm", "text/html", "<html><body><input id='a' value='served'></body></html>");
  Load(L"player:page.htm");
  EXPECT_EQ(Read(L"a"), "served");

  ASSERT_TRUE(browser->Navigate(L"player:gone.htm"));
  ASSERT_TRUE(RunUntil([&] { return !events.failed.empty(); }));
  EXPECT_EQ(events.failed, std::vector<CString>{L"player:gone.htm"});
}

TEST_F(WebBrowserTest, KeysOverThePageGoThroughTheWindowsPreTranslationAndDroppedFilesToTheMainWindow) {
  Load(WritePage("map.htm", R"(<html><body style="background: #00c000">
    <input type="hidden" id="keys" value=""><input type="hidden" id="drops" value="">
    <script>
    document.addEventListener('keydown', function (e) { document.getElementById('keys').value += '[' + e.key + ']'; });
    document.addEventListener('drop', function (e) { document.getElementById('drops').value = 'dropped'; });
    </script></body></html>)"));
  QWindow* screen = owner.Widget()->windowHandle();
  ASSERT_TRUE(RunUntil([&] { return plat::test::Grab(&owner).pixel(200, 150) == qRgb(0, 0xc0, 0); }));
  QTest::mouseClick(screen, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  QTest::keyClick(screen, Qt::Key_F6);
  QTest::keyClick(screen, Qt::Key_Space);
  QTest::keyClick(screen, Qt::Key_A);
  ASSERT_TRUE(RunUntil([&] { return Read(L"keys") != ""; }));
  EXPECT_EQ(Read(L"keys"), "[a]");
  EXPECT_EQ(owner.keys, (std::vector<WPARAM>{VK_F6, VK_SPACE, 'A'}));

  // A file dropped on the page is the main window's when it takes files; refused otherwise. The
  // page sees neither and stays loaded.
  const CString file = WritePage("trip.sd", "not a page");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdWString(file.GetString()))});
  QWidget* target = owner.Widget()->childAt(200, 150);
  ASSERT_NE(target, nullptr);
  const QPointF at = target->mapFrom(owner.Widget(), QPoint(200, 150));
  const auto drag = [&](bool accepts) {
    owner.DragAcceptFiles(accepts);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
  };
  EXPECT_FALSE(drag(false));
  EXPECT_TRUE(owner.dropped.empty());
  EXPECT_TRUE(drag(true));
  EXPECT_EQ(owner.dropped, std::vector<CString>{file});
  EXPECT_EQ(owner.droppedAt.x, 200);
  EXPECT_EQ(owner.droppedAt.y, 150);
  plat::test::Pump();
  EXPECT_EQ(Read(L"drops"), "");
  EXPECT_EQ(events.completed.size(), 1u);
}
