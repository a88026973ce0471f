#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/wnd/DragDrop.h"
#include "platform/wnd/FolderPicker.h"
#include "platform/wnd/MessageBox.h"
#include "platform/wnd/Shell.h"
#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::Reset(); }
};

// A drop target that takes text and copies with Ctrl, else moves.
class TextTarget : public COleDropTarget {
 public:
  DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keys, CPoint pt) override {
    return OnDragOver(wnd, data, keys, pt);
  }
  DROPEFFECT OnDragOver(CWnd*, COleDataObject* data, DWORD keys, CPoint pt) override {
    points.push_back(pt);
    if (!data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    return (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  }
  void OnDragLeave(CWnd*) override { ++leaves; }
  BOOL OnDrop(CWnd*, COleDataObject* data, DROPEFFECT effect, CPoint) override {
    dropped = data->GetGlobalData(CF_TEXT).value_or(std::vector<BYTE>());
    dropEffect = effect;
    return TRUE;
  }
  std::vector<CPoint> points;
  int leaves = 0;
  std::vector<BYTE> dropped;
  DROPEFFECT dropEffect = DROPEFFECT_NONE;
};

std::vector<BYTE> Text(const char* s) {
  std::vector<BYTE> v(s, s + strlen(s));
  v.push_back(0);
  return v;
}

}  // namespace

TEST_F(ServicesTest, TheShellOpensOnlyWebLinksMailAddressesAndFolders) {
  auto ok = [](LPCWSTR verb, LPCWSTR target) {
    return reinterpret_cast<UINT_PTR>(ShellExecute(nullptr, verb, target, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
  };
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  EXPECT_TRUE(ok(L"open", L"https://example.org/path?q=1"));
  EXPECT_TRUE(ok(nullptr, L"HTTP://example.org"));
  EXPECT_TRUE(ok(L"open", L"mailto:fleet@example.org?bcc=everyone@example.org"));
  EXPECT_TRUE(ok(L"open", folder.path().toStdWString().c_str()));
  EXPECT_FALSE(ok(L"open", L"/bin/sh"));
  EXPECT_FALSE(ok(L"open", L"C:\\x.exe"));
  EXPECT_FALSE(ok(L"open", L"file:///etc/passwd"));
  EXPECT_FALSE(ok(L"open", L"javascript:alert(1)"));
  EXPECT_FALSE(ok(L"print", L"https://example.org"));
  EXPECT_FALSE(ok(L"open", L"mailto:"));
  EXPECT_FALSE(ok(L"open", L""));

  const std::vector<QUrl> opened = plat::test::OpenedUrls();
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[0].toString(), "https://example.org/path?q=1");
  // The whole mail text is the address: it cannot add headers or recipients.
  EXPECT_EQ(opened[2].scheme(), "mailto");
  EXPECT_TRUE(opened[2].query().isEmpty());
  EXPECT_EQ(opened[2].path(), "fleet@example.org?bcc=everyone@example.org");
  EXPECT_TRUE(opened[3].isLocalFile());
  EXPECT_EQ(QDir(opened[3].toLocalFile()), QDir(folder.path()));

  MessageBeep(MB_ICONHAND);
  EXPECT_EQ(plat::test::Beeps(), 1);
}

TEST_F(ServicesTest, MessageBoxesCarryTheProgramsNameAndGiveTheChosenAnswer) {
  SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 100, 100)));
  owner.SetFocus();
  plat::SetAppName(L"Dravik2 Player");
  plat::test::AnswerMessageBoxes({IDNO});
  EXPECT_EQ(AfxMessageBox(L"Format the card?", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(AfxMessageBox(L"Done", MB_ICONINFORMATION), IDOK);
  const auto calls = plat::test::MessageBoxes();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].caption, L"Dravik2 Player");
  EXPECT_EQ(calls[0].text, L"Format the card?");
  EXPECT_EQ(calls[0].owner, owner.m_hWnd);
  EXPECT_EQ(calls[1].type, MB_ICONINFORMATION);
  EXPECT_EQ(CString(AfxGetAppName()), L"Dravik2 Player");
}

TEST_F(ServicesTest, TheClipboardHoldsASourcesDataUntilReplacedAndAfterTheSourceIsFlushed) {
  auto* source = new COleDataSource;
  source->CacheGlobalData(CF_TEXT, Text("a\tb\r\nc\td"));
  source->SetClipboard();
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), source);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));

  COleDataObject data;
  EXPECT_FALSE(data.IsDataAvailable(CF_TEXT));
  ASSERT_TRUE(data.AttachClipboard());
  EXPECT_EQ(data.GetGlobalData(CF_TEXT), Text("a\tb\r\nc\td"));
  EXPECT_FALSE(data.GetGlobalData(7).has_value());

  COleDataSource::FlushClipboard();  // the source is gone, the text stays
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), nullptr);
  COleDataObject again;
  again.AttachClipboard();
  EXPECT_EQ(again.GetGlobalData(CF_TEXT), Text("a\tb\r\nc\td"));

  // Other data replaces the source's; text from elsewhere reads as text.
  auto* second = new COleDataSource;
  second->SetClipboard();
  plat::SetClipboardText(L"plain");
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), nullptr);
  CString text;
  EXPECT_TRUE(plat::GetClipboardText(text));
  EXPECT_EQ(text, L"plain");
}

TEST_F(ServicesTest, DragsGoThroughTheDropTargetsAndReturnTheDropsEffect) {
  SpyWnd top, cell;
  ASSERT_TRUE(top.CreateTopLevel(CRect(0, 0, 300, 200)));
  ASSERT_TRUE(cell.CreateChild(&top, CRect(10, 10, 110, 60), 1));
  TextTarget target;
  ASSERT_TRUE(target.Register(&cell));
  TextTarget second;
  EXPECT_FALSE(second.Register(&cell));  // one target per window

  COleDataSource source;
  source.CacheGlobalData(CF_TEXT, Text("x"));
  using plat::DragStep;
  plat::test::ScriptDrag({{DragStep::Enter, &cell, {5, 5}, MK_LBUTTON},
                          {DragStep::Over, &cell, {6, 7}, MK_LBUTTON | MK_CONTROL},
                          {DragStep::Drop, &cell, {6, 7}, 0}});
  EXPECT_EQ(source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_COPY);
  EXPECT_EQ(target.dropped, Text("x"));
  EXPECT_EQ(target.dropEffect, DROPEFFECT_COPY);
  ASSERT_EQ(target.points.size(), 2u);
  EXPECT_EQ(target.points[1], CPoint(6, 7));

  // Without Ctrl it moves; leaving ends without a drop; a script without steps drops elsewhere.
  plat::test::ScriptDrag({{DragStep::Enter, &cell, {5, 5}, 0}, {DragStep::Drop, &cell, {5, 5}, 0}});
  EXPECT_EQ(source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
  plat::test::ScriptDrag({{DragStep::Enter, &cell, {5, 5}, 0}, {DragStep::Leave, &cell, {}, 0}});
  EXPECT_EQ(source.DoDragDrop(), DROPEFFECT_NONE);
  EXPECT_EQ(target.leaves, 1);
  plat::test::ScriptDrag({}, DROPEFFECT_MOVE);
  EXPECT_EQ(source.DoDragDrop(DROPEFFECT_COPY), DROPEFFECT_NONE);  // move was not allowed

  // Data without text is refused; a window without a target takes nothing.
  EXPECT_EQ(plat::test::DragFromOutside({{CF_UNICODETEXT, {0, 0}}}, {{DragStep::Enter, &cell, {1, 1}, 0}, {DragStep::Drop, &cell, {1, 1}, 0}}),
            DROPEFFECT_NONE);
  EXPECT_EQ(plat::test::DragFromOutside({{CF_TEXT, Text("y")}}, {{DragStep::Enter, &top, {1, 1}, 0}, {DragStep::Drop, &top, {1, 1}, 0}}),
            DROPEFFECT_NONE);
  target.Revoke();
  EXPECT_TRUE(second.Register(&cell));
}

TEST_F(ServicesTest, DroppedFilesReachWindowsThatAcceptThem) {
  SpyWnd wnd;
  ASSERT_TRUE(wnd.CreateTopLevel(CRect(0, 0, 100, 100)));
  std::vector<CString> got;
  POINT at{};
  wnd.answer = [&](UINT msg, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_DROPFILES) return std::nullopt;
    auto drop = reinterpret_cast<HDROP>(w);
    const UINT n = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
      wchar_t buf[260];
      DragQueryFile(drop, i, buf, 260);
      got.emplace_back(buf);
    }
    wchar_t tiny[4];
    EXPECT_EQ(DragQueryFile(drop, 0, tiny, 4), 3u);
    EXPECT_EQ(DragQueryFile(drop, 0, nullptr, 0), 11u);
    DragQueryPoint(drop, &at);
    DragFinish(drop);
    return 0;
  };
  EXPECT_FALSE(plat::DropFiles(wnd.m_hWnd, {L"/tmp/a.sd"}, {1, 1}));
  wnd.DragAcceptFiles();
  EXPECT_TRUE(plat::DropFiles(wnd.m_hWnd, {L"/media/a.sd", L"/media/b.sd"}, {7, 8}));
  EXPECT_EQ(got, (std::vector<CString>{L"/media/a.sd", L"/media/b.sd"}));
  EXPECT_EQ(at.x, 7);
  EXPECT_EQ(at.y, 8);
}

TEST_F(ServicesTest, TheFolderPickerReportsItsEventsAndResult) {
  plat::test::ScriptFolderPicker({{plat::test::FolderStep::Select, L"/media/card"},
                                  {plat::test::FolderStep::TypeInvalid, L"no such"},
                                  {plat::test::FolderStep::Select, L""}},
                                 {IDOK, L"/media/card/backup"});
  plat::FolderBrowseEvents events;
  int validates = 0;
  events.initialized = [](plat::FolderBrowser& b) { b.SetSelection(L"/media/start"); };
  events.selectionChanged = [](plat::FolderBrowser& b, const CString& path) { b.SetStatusText(path); };
  events.validateFailed = [&](plat::FolderBrowser&, const CString&) {
    ++validates;
    return 1;
  };
  const plat::FolderBrowseResult r = plat::BrowseForFolder(nullptr, L"Backup folder", BIF_STATUSTEXT, events);
  EXPECT_EQ(r.result, IDOK);
  EXPECT_EQ(r.path, L"/media/card/backup");
  EXPECT_EQ(validates, 1);
  EXPECT_EQ(plat::test::FolderSelections(), std::vector<CString>{L"/media/start"});
  EXPECT_EQ(plat::test::FolderStatusTexts(), (std::vector<CString>{L"/media/card", L""}));

  // Declining a typed name ends the picker as cancelled; so does a picker scripted to cancel.
  plat::test::ScriptFolderPicker({{plat::test::FolderStep::TypeInvalid, L"x"}}, {IDOK, L"/never"});
  events.validateFailed = [](plat::FolderBrowser&, const CString&) { return 0; };
  EXPECT_EQ(plat::BrowseForFolder(nullptr, L"", 0, events).result, IDCANCEL);
  plat::test::ScriptFolderPicker({}, {-1, L""});
  EXPECT_EQ(plat::BrowseForFolder(nullptr, L"", 0, events).result, -1);
}
