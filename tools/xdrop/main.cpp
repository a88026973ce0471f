// xdrop [--window TITLE] FILE X Y: drags FILE onto the point (X, Y) of the screen, or of the
// top-level window named TITLE, from an X client of its own by the XDND protocol, as a file
// manager does, and prints what the window under the point did: "dropped" when it took the file
// (it asked for the file's URL and finished the drop as accepted), "refused" when it declined the
// drag there, "no target" when no window there takes drags, "not taken" when it accepted the drag
// but did not take the file. Exit status 0 for "dropped", 1 otherwise, 2 for a wrong command line,
// no display or a window that does not answer.
#include <poll.h>
#include <xcb/xcb.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kXdndVersion = 5;
constexpr auto kAnswerTime = std::chrono::seconds(20);

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Owned(T* reply) {
  return Reply<T>(reply, &std::free);
}

struct Atoms {
  xcb_atom_t aware, selection, enter, position, status, drop, finished, leave, copy, uriList, targets, name, utf8;
};

class Session {
 public:
  explicit Session(xcb_connection_t* c) : c_(c), root_(xcb_setup_roots_iterator(xcb_get_setup(c)).data->root) {
    atoms_ = {Intern("XdndAware"),    Intern("XdndSelection"), Intern("XdndEnter"),      Intern("XdndPosition"),
              Intern("XdndStatus"),   Intern("XdndDrop"),      Intern("XdndFinished"),   Intern("XdndLeave"),
              Intern("XdndActionCopy"), Intern("text/uri-list"), Intern("TARGETS"),      Intern("_NET_WM_NAME"),
              Intern("UTF8_STRING")};
    source_ = xcb_generate_id(c_);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, source_, root_, -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  }

  xcb_window_t Root() const { return root_; }

  // The top-level window with the title, and where its top-left corner lies on the screen.
  std::optional<std::pair<int, int>> WindowOrigin(const std::string& title) {
    auto tree = Owned(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
    if (!tree) return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
      if (Title(children[i]) != title) continue;
      const xcb_translate_coordinates_cookie_t origin = xcb_translate_coordinates(c_, children[i], root_, 0, 0);
      auto at = Owned(xcb_translate_coordinates_reply(c_, origin, nullptr));
      if (at) return std::pair<int, int>(at->dst_x, at->dst_y);
    }
    return std::nullopt;
  }

  // Drags the file's URL to the screen point and drops it there.
  const char* DropAt(const std::string& uri, int x, int y) {
    const std::optional<xcb_window_t> target = AwareWindowAt(x, y);
    if (!target) return "no target";
    uri_ = uri;
    target_ = *target;
    const std::uint32_t time = ServerTime();
    xcb_set_selection_owner(c_, source_, atoms_.selection, time);
    xcb_warp_pointer(c_, XCB_NONE, root_, 0, 0, 0, 0, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    Send(atoms_.enter, {source_, kXdndVersion << 24, atoms_.uriList, 0, 0});
    const std::uint32_t point = (static_cast<std::uint32_t>(x) << 16) | static_cast<std::uint32_t>(y);
    Send(atoms_.position, {source_, 0, point, time, atoms_.copy});
    const std::optional<xcb_client_message_event_t> status = WaitFor(atoms_.status);
    if (!status) return nullptr;
    if (!(status->data.data32[1] & 1)) {
      Send(atoms_.leave, {source_, 0, 0, 0, 0});
      xcb_flush(c_);
      return "refused";
    }
    Send(atoms_.drop, {source_, 0, time, 0, 0});
    const std::optional<xcb_client_message_event_t> finished = WaitFor(atoms_.finished);
    if (!finished) return nullptr;
    return asked_ && (finished->data.data32[1] & 1) ? "dropped" : "not taken";
  }

 private:
  xcb_atom_t Intern(const char* name) {
    const auto length = static_cast<std::uint16_t>(std::strlen(name));
    auto r = Owned(xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, length, name), nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  std::string Property(xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
    auto r = Owned(xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, property, type, 0, 1024), nullptr));
    if (!r || r->type == XCB_ATOM_NONE) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
  }

  std::string Title(xcb_window_t w) {
    const std::string utf8 = Property(w, atoms_.name, atoms_.utf8);
    return utf8.empty() ? Property(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) : utf8;
  }

  bool IsAware(xcb_window_t w) {
    auto r = Owned(xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, atoms_.aware, XCB_ATOM_ATOM, 0, 1), nullptr));
    return r && r->type == XCB_ATOM_ATOM && xcb_get_property_value_length(r.get()) >= 4;
  }

  // The window at the point that takes drags: the top-level one, or the first below it that does.
  std::optional<xcb_window_t> AwareWindowAt(int x, int y) {
    xcb_window_t w = root_;
    for (;;) {
      const xcb_translate_coordinates_cookie_t below =
          xcb_translate_coordinates(c_, root_, w, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
      auto r = Owned(xcb_translate_coordinates_reply(c_, below, nullptr));
      if (!r || r->child == XCB_NONE) return std::nullopt;
      w = r->child;
      if (IsAware(w)) return w;
    }
  }

  // A timestamp of the server's clock: the time of a property change of our own window.
  std::uint32_t ServerTime() {
    xcb_change_property(c_, XCB_PROP_MODE_APPEND, source_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c_);
    std::uint32_t time = XCB_CURRENT_TIME;
    Pump([&](xcb_generic_event_t* e) {
      if ((e->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
      time = reinterpret_cast<xcb_property_notify_event_t*>(e)->time;
      return true;
    });
    return time;
  }

  void Send(xcb_atom_t type, std::vector<std::uint32_t> data) {
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = target_;
    m.type = type;
    std::memcpy(m.data.data32, data.data(), sizeof m.data.data32);
    xcb_send_event(c_, 0, target_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
    xcb_flush(c_);
  }

  // Hands the URL (or the list of types) to the window that asks for the selection.
  void Answer(const xcb_selection_request_event_t& q) {
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = q.time;
    n.requestor = q.requestor;
    n.selection = q.selection;
    n.target = q.target;
    n.property = q.property == XCB_NONE ? q.target : q.property;
    if (q.target == atoms_.uriList) {
      asked_ = true;
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, q.requestor, n.property, atoms_.uriList, 8,
                          static_cast<std::uint32_t>(uri_.size()), uri_.data());
    } else if (q.target == atoms_.targets) {
      const xcb_atom_t types[] = {atoms_.targets, atoms_.uriList};
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, q.requestor, n.property, XCB_ATOM_ATOM, 32, 2, types);
    } else {
      n.property = XCB_NONE;
    }
    xcb_send_event(c_, 0, q.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&n));
    xcb_flush(c_);
  }

  std::optional<xcb_client_message_event_t> WaitFor(xcb_atom_t type) {
    std::optional<xcb_client_message_event_t> found;
    Pump([&](xcb_generic_event_t* e) {
      if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
      const auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
      if (m->type == type && m->data.data32[0] == target_) found = *m;
      return found.has_value();
    });
    return found;
  }

  // Handles events until `done` takes one, serving the selection meanwhile; gives up when the
  // window has not answered in kAnswerTime.
  void Pump(const std::function<bool(xcb_generic_event_t*)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
    while (std::chrono::steady_clock::now() < deadline && !xcb_connection_has_error(c_)) {
      while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
        const auto event = Owned(e);
        if ((e->response_type & 0x7F) == XCB_SELECTION_REQUEST)
          Answer(*reinterpret_cast<xcb_selection_request_event_t*>(e));
        if (done(e)) return;
      }
      pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
      ::poll(&fd, 1, 100);
    }
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
  Atoms atoms_{};
  xcb_window_t source_ = 0;
  xcb_window_t target_ = 0;
  std::string uri_;
  bool asked_ = false;
};

// The file's URL as text/uri-list carries it: absolute, its path's bytes percent-encoded where
// they are not plain.
std::string FileUri(const std::string& file) {
  const std::string path = std::filesystem::absolute(file).string();
  std::string uri = "file://";
  for (unsigned char ch : path) {
    if (std::isalnum(ch) || std::strchr("/-._~", ch)) {
      uri += static_cast<char>(ch);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", ch);
      uri += escaped;
    }
  }
  return uri + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::string title;
  int at = 1;
  if (argc > 2 && std::strcmp(argv[1], "--window") == 0) {
    title = argv[2];
    at = 3;
  }
  if (argc != at + 3) {
    std::fprintf(stderr, "usage: xdrop [--window TITLE] FILE X Y\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "xdrop: no X display\n");
    return 2;
  }
  Session session(c);
  int x = std::atoi(argv[at + 1]), y = std::atoi(argv[at + 2]);
  if (!title.empty()) {
    const std::optional<std::pair<int, int>> origin = session.WindowOrigin(title);
    if (!origin) {
      std::fprintf(stderr, "xdrop: no window \"%s\"\n", title.c_str());
      xcb_disconnect(c);
      return 2;
    }
    x += origin->first;
    y += origin->second;
  }
  const char* result = session.DropAt(FileUri(argv[at]), x, y);
  xcb_disconnect(c);
  if (!result) {
    std::fprintf(stderr, "xdrop: the window at %d,%d did not answer\n", x, y);
    return 2;
  }
  std::printf("%s\n", result);
  return std::strcmp(result, "dropped") == 0 ? 0 : 1;
}
