#include "tests/support/TestHarness.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleFactory>
#include <QWheelEvent>
#include <QWindow>
#include <deque>

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/KeyMap.h"
#include "platform/wnd/Menu.h"
#include "platform/wnd/MessageBox.h"
#include "platform/wnd/Shell.h"
#include "platform/wnd/SysMetrics.h"
#include "platform/wnd/Window.h"

namespace plat::test {
namespace {

class FakeClipboard : public IClipboard {
 public:
  bool SetData(const ClipData& d, const void* owner) override {
    data = d;
    owner_ = owner;
    return true;
  }
  ClipData GetData() const override { return data; }
  bool IsOwner(const void* owner) const override { return owner && owner == owner_; }
  ClipData data;

 private:
  const void* owner_ = nullptr;
};

class FakeMessageBoxes : public IMessageBoxes {
 public:
  int Show(HWND owner, const CString& text, const CString& caption, UINT type) override {
    calls.push_back({owner, text, caption, type});
    if (answers.empty()) return (type & 0xF) == MB_YESNO || (type & 0xF) == MB_YESNOCANCEL ? IDYES : IDOK;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<int> answers;
  std::vector<MessageBoxCall> calls;
};

class FakePopupMenus : public IPopupMenus {
 public:
  UINT_PTR Track(HWND owner, const std::vector<MenuItem>& items, CPoint at, UINT flags) override {
    calls.push_back({owner, items, at, flags});
    if (answers.empty()) return 0;
    const UINT_PTR a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<UINT_PTR> answers;
  std::vector<PopupMenuCall> calls;
};

class FakeShell : public IShell {
 public:
  bool Open(const QUrl& url) override {
    opened.push_back(url);
    return true;
  }
  void Beep() override { ++beeps; }
  std::vector<QUrl> opened;
  int beeps = 0;
};

class FakeBrowser : public FolderBrowser {
 public:
  void SetSelection(const CString& path) override { selections.push_back(path); }
  void SetStatusText(const CString& text) override { status.push_back(text); }
  std::vector<CString> selections;
  std::vector<CString> status;
};

class FakeFolderPicker : public IFolderPicker {
 public:
  FolderBrowseResult Browse(HWND, const CString&, UINT, FolderBrowseEvents& events) override {
    browser = FakeBrowser();
    if (events.initialized) events.initialized(browser);
    for (const FolderStep& s : steps) {
      if (s.kind == FolderStep::Select && events.selectionChanged) events.selectionChanged(browser, s.text);
      if (s.kind == FolderStep::TypeInvalid && events.validateFailed && !events.validateFailed(browser, s.text)) {
        return {};
      }
    }
    steps.clear();
    return result;
  }
  std::vector<FolderStep> steps;
  FolderBrowseResult result;
  FakeBrowser browser;
};

DROPEFFECT RunMoves(const ClipData& data, const std::vector<DragMove>& moves, DROPEFFECT allowed) {
  DROPEFFECT effect = DROPEFFECT_NONE;
  for (const DragMove& m : moves) {
    const HWND target = m.target ? m.target->m_hWnd : nullptr;
    const DROPEFFECT e = DeliverDragStep(m.step, target, data, m.keyState, m.client, m.step == DragStep::Drop ? effect : allowed);
    if (m.step == DragStep::Drop) return e;
    effect = m.step == DragStep::Leave ? DROPEFFECT_NONE : e & ~DROPEFFECT_SCROLL;
  }
  return DROPEFFECT_NONE;
}

class FakeDragLoop : public IDragLoop {
 public:
  DROPEFFECT Run(const ClipData& data, DROPEFFECT allowed) override {
    const std::vector<DragMove> script = std::move(moves);
    moves.clear();
    if (script.empty()) return outside & allowed;
    return RunMoves(data, script, allowed);
  }
  std::vector<DragMove> moves;
  DROPEFFECT outside = DROPEFFECT_NONE;
};

FakeClock g_clock(1000);
FakeClipboard g_clipboard;
FakeMessageBoxes g_boxes;
FakePopupMenus g_menus;
FakeShell g_shell;
FakeFolderPicker g_picker;
FakeDragLoop g_drag;
std::deque<std::function<void()>> g_modalSteps;
Qt::MouseButtons g_buttons;

bool ModalIdle() {
  if (!g_modalSteps.empty()) {
    std::function<void()> step = std::move(g_modalSteps.front());
    g_modalSteps.pop_front();
    step();
    return true;
  }
  if (const std::optional<std::uint64_t> next = NextTimerDue()) {
    if (*next > g_clock.NowMs()) g_clock.Set(*next);
    FireDueTimers();
    return true;
  }
  return false;
}

QWidget* ReceiverFor(const CWnd* wnd) {
  Window* w = wnd ? wnd->Impl() : nullptr;
  while (w && !w->selfDrawn && w->parent) w = w->parent;
  return w ? w->widget.data() : nullptr;
}

Qt::MouseButton ButtonOf(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return Qt::RightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return Qt::MiddleButton;
    case WM_MOUSEMOVE:
      return Qt::NoButton;
    default:
      return Qt::LeftButton;
  }
}

QString KeyText(int vk) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (vk >= 'A' && vk <= 'Z') return ctrl ? QString() : QString(QChar(shift ? vk : vk + 32));
  if (vk >= '0' && vk <= '9') return QString(QChar(vk));
  switch (vk) {
    case VK_SPACE: return " ";
    case VK_RETURN: return "\r";
    case VK_ESCAPE: return "\x1b";
    case VK_TAB: return "\t";
    case VK_BACK: return "\b";
    default: return QString();
  }
}

void ApplyKeys(WPARAM keys) {
  SetKeyDown(VK_SHIFT, (keys & MK_SHIFT) != 0);
  SetKeyDown(VK_CONTROL, (keys & MK_CONTROL) != 0);
}

}  // namespace

void Init() {
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setFont(QFont("DejaVu Sans", 9));
  SetTickClock(&g_clock);
  SetManualTime(true);
  SetModalIdleHook(ModalIdle);
  plat::SetClipboard(&g_clipboard);
  SetMessageBoxes(&g_boxes);
  SetPopupMenus(&g_menus);
  SetShell(&g_shell);
  SetFolderPicker(&g_picker);
  SetDragLoop(&g_drag);
  plat::SetScreenSize(1920, 1080);
}

void Reset() {
  for (int vk = 1; vk < 256; ++vk) SetKeyDown(vk, false);
  g_buttons = Qt::NoButton;
  ClipCursor(nullptr);
  g_clipboard.data.clear();
  g_boxes.answers.clear();
  g_boxes.calls.clear();
  g_menus.answers.clear();
  g_menus.calls.clear();
  g_shell.opened.clear();
  g_shell.beeps = 0;
  g_picker.steps.clear();
  g_picker.result = {};
  g_drag.moves.clear();
  g_modalSteps.clear();
  plat::SetScreenSize(1920, 1080);
  Pump();
}

FakeClock& Clock() { return g_clock; }

void Pump() {
  for (int round = 0; round < 1000 && PumpOnce(); ++round) {
  }
}

void AdvanceTime(std::uint32_t ms) {
  const std::uint64_t end = g_clock.NowMs() + ms;
  for (std::optional<std::uint64_t> next = NextTimerDue(); next && *next <= end; next = NextTimerDue()) {
    if (*next > g_clock.NowMs()) g_clock.Set(*next);
    FireDueTimers();
    Pump();
  }
  g_clock.Set(end);
  Pump();
}

void WhileModal(std::function<void()> step) { g_modalSteps.push_back(std::move(step)); }

COLORREF Pixel(const CWnd* wnd, int x, int y) {
  const Window* w = wnd ? wnd->Impl() : nullptr;
  if (!w || !QRect(QPoint(), w->backing.size()).contains(x, y)) return CLR_INVALID;
  const QRgb p = w->backing.pixel(x, y);
  return RGB(qRed(p), qGreen(p), qBlue(p));
}

QImage Grab(const CWnd* wnd) {
  Window* w = wnd ? wnd->Impl() : nullptr;
  if (!w || !w->widget) return {};
  Pump();
  const CRect c = w->ClientRect();
  return w->widget->grab(QRect(w->ClientOrigin(), QSize(c.Width(), c.Height()))).toImage().convertToFormat(QImage::Format_RGB32);
}

QString SavePng(const QImage& image, const QString& name) {
  const QString dir = qEnvironmentVariableIsEmpty("PLAYER_TEST_OUTPUT") ? QDir::currentPath()
                                                                        : qEnvironmentVariable("PLAYER_TEST_OUTPUT");
  QDir().mkpath(dir);
  const QString path = dir + "/" + name + ".png";
  return image.save(path) ? path : QString();
}

void Mouse(const CWnd* wnd, UINT msg, CPoint client, WPARAM keys) {
  QWidget* receiver = ReceiverFor(wnd);
  if (!receiver) return;
  ApplyKeys(keys);
  POINT screen = client;
  wnd->ClientToScreen(&screen);
  const Qt::MouseButton button = ButtonOf(msg);
  QEvent::Type type = QEvent::MouseMove;
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
    type = QEvent::MouseButtonPress;
    g_buttons |= button;
  } else if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
    type = QEvent::MouseButtonRelease;
    g_buttons &= ~button;
  }
  const QPointF global(screen.x, screen.y);
  QMouseEvent e(type, receiver->mapFromGlobal(global), global, type == QEvent::MouseMove ? Qt::NoButton : button,
                g_buttons, ModifiersOfKeyState());
  QApplication::sendEvent(receiver, &e);
  Pump();
}

void Wheel(const CWnd* wnd, CPoint client, int delta) {
  QWidget* receiver = ReceiverFor(wnd);
  if (!receiver) return;
  POINT screen = client;
  wnd->ClientToScreen(&screen);
  const QPointF global(screen.x, screen.y);
  QWheelEvent e(receiver->mapFromGlobal(global), global, QPoint(), QPoint(0, delta), g_buttons, ModifiersOfKeyState(),
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(receiver, &e);
  Pump();
}

CWnd* WindowAt(CPoint screen) {
  LRESULT code = 0;
  Window* w = HitTest(QPoint(screen.x, screen.y), &code);
  return w ? w->object : nullptr;
}

CWnd* ClickAt(CPoint screen, int clicks) {
  CWnd* reached = WindowAt(screen);
  Window* top = reached ? reached->Impl()->TopLevel() : nullptr;
  QWidget* root = top ? top->widget.data() : nullptr;
  if (!root) return nullptr;
  // The window clicked is the active one; its Qt window finds the widget under the pointer and
  // gives it the focus, as for the user's click.
  if (QApplication::activeWindow() != root) {
    QApplication::setActiveWindow(root);
    Pump();
  }
  QWindow* receiver = root->windowHandle();
  if (!receiver) return nullptr;
  const QPointF global(screen.x, screen.y);
  const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
    QMouseEvent e(type, receiver->mapFromGlobal(global), global, Qt::LeftButton, held, ModifiersOfKeyState());
    QApplication::sendEvent(receiver, &e);
    Pump();
  };
  for (int click = 0; click < clicks; ++click) {
    send(click == 0 ? QEvent::MouseButtonPress : QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
  }
  return reached;
}

QImage GrabScreen() {
  Pump();
  QImage screen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), QImage::Format_RGB32);
  screen.fill(Qt::black);
  QPainter painter(&screen);
  for (Window* top : TopLevelWindows()) {
    if (!top->Visible() || !top->widget || (top->style & WS_MINIMIZE)) continue;
    const QPoint at = top->WindowToScreen();
    const QImage picture = top->widget->grab().toImage();
    if (top->region) painter.setClipRegion(top->region->translated(at));
    painter.drawImage(at, picture);
    painter.setClipping(false);
  }
  return screen;
}

void Key(UINT msg, int code) {
  Window* focus = FocusWindow();
  if (msg == WM_CHAR) {
    MSG m;
    m.hwnd = focus ? focus->handle : nullptr;
    m.message = WM_CHAR;
    m.wParam = static_cast<WPARAM>(code);
    m.lParam = 1;
    DispatchQueued(m);
    Pump();
    return;
  }
  QWidget* receiver = focus ? focus->widget.data() : nullptr;
  if (!receiver) {
    const std::vector<Window*> tops = TopLevelWindows();
    if (tops.empty()) return;
    receiver = tops.back()->widget;
  }
  bool keypad = false;
  const int qtKey = QtKeyOf(code, &keypad);
  Qt::KeyboardModifiers mods = ModifiersOfKeyState();
  if (keypad) mods |= Qt::KeypadModifier;
  const bool press = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
  QKeyEvent e(press ? QEvent::KeyPress : QEvent::KeyRelease, qtKey, mods, press ? KeyText(code) : QString());
  QApplication::sendEvent(receiver, &e);
  Pump();
}

void SetKeyState(int vk, bool down) { SetKeyDown(vk, down); }

void SetScreenSize(int width, int height) { plat::SetScreenSize(width, height); }

void OnWrongThread(std::function<void(const char*)> handler) { SetWrongThreadHandler(std::move(handler)); }

void SetSysColor(int index, COLORREF color) {
  plat::SetSysColor(index, color);
  std::vector<HWND> all;
  std::function<void(const Window&)> collect = [&](const Window& w) {
    all.push_back(w.handle);
    for (const Window* c : w.children) collect(*c);
  };
  for (const Window* top : TopLevelWindows()) collect(*top);
  for (HWND h : all) {
    if (Window* w = WindowOf(h)) w->Send(WM_SYSCOLORCHANGE);
  }
}

void AnswerMessageBoxes(std::vector<int> answers) { g_boxes.answers.assign(answers.begin(), answers.end()); }

std::vector<MessageBoxCall> MessageBoxes() { return g_boxes.calls; }

void AnswerPopupMenus(std::vector<UINT_PTR> answers) { g_menus.answers.assign(answers.begin(), answers.end()); }

std::vector<PopupMenuCall> PopupMenus() { return g_menus.calls; }

std::vector<QUrl> OpenedUrls() { return g_shell.opened; }

int Beeps() { return g_shell.beeps; }

void SetClipboardData(const ClipData& data) { g_clipboard.SetData(data, nullptr); }

ClipData ClipboardData() { return g_clipboard.data; }

void ScriptFolderPicker(std::vector<FolderStep> steps, FolderBrowseResult result) {
  g_picker.steps = std::move(steps);
  g_picker.result = std::move(result);
}

std::vector<CString> FolderStatusTexts() { return g_picker.browser.status; }

std::vector<CString> FolderSelections() { return g_picker.browser.selections; }

void ScriptDrag(std::vector<DragMove> moves, DROPEFFECT outside) {
  g_drag.moves = std::move(moves);
  g_drag.outside = outside;
}

DROPEFFECT DragFromOutside(const ClipData& data, const std::vector<DragMove>& moves) {
  return RunMoves(data, moves, DROPEFFECT_COPY | DROPEFFECT_MOVE);
}

// Spies make double clicks and erase to the window colour.
LPCWSTR SpyClass() {
  WNDCLASSW cls;
  cls.lpszClassName = L"PlatTestSpy";
  cls.style = CS_DBLCLKS;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = COLOR_WINDOW + 1;
  RegisterClass(&cls);
  return cls.lpszClassName;
}

BOOL SpyWnd::CreateTopLevel(const CRect& rect, DWORD style) { return CreateEx(0, SpyClass(), L"", style, rect, nullptr, 0); }

BOOL SpyWnd::CreateChild(CWnd* parent, const CRect& rect, UINT id, DWORD style) {
  return CreateEx(0, SpyClass(), L"", style, rect, parent, id);
}

LRESULT SpyWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  Record r{msg, wParam, lParam, {}};
  if (msg == WM_NOTIFY && lParam) r.notify = *reinterpret_cast<const NMHDR*>(lParam);
  records.push_back(r);
  if (answer) {
    if (const std::optional<LRESULT> a = answer(msg, wParam, lParam)) return *a;
  }
  return CWnd::WindowProc(msg, wParam, lParam);
}

std::vector<SpyWnd::Record> SpyWnd::Of(UINT msg) const {
  std::vector<Record> out;
  for (const Record& r : records) {
    if (r.message == msg) out.push_back(r);
  }
  return out;
}

std::vector<UINT> SpyWnd::Messages() const {
  std::vector<UINT> out;
  for (const Record& r : records) out.push_back(r.message);
  return out;
}

}  // namespace plat::test
