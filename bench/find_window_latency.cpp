// The time from starting a command (hopwise --find) to the "Hopwise Find" window being mapped on
// the X display, measured from outside the program: the X server's MapNotify, seen by this
// separate client. After each run the window is closed as a window manager's close button does
// (WM_DELETE_WINDOW), so runs can follow one another. Needs an X display; with no Hopwise running,
// the first run measures a start of Hopwise that shows the window.
//
//   build/bin/find_window_latency [-n RUNS] COMMAND [ARGUMENTS...]
//
// Prints each run in milliseconds, then the median and the slowest.

#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clocked = std::chrono::steady_clock;
constexpr char kTitle[] = "Hopwise Find";

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
  Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name),
                            nullptr),
      &std::free);
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string Name(xcb_connection_t* x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
  Reply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(x, xcb_get_property(x, 0, window, property, type, 0, 256), nullptr), &std::free);
  if (!reply) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

// The window itself, or one of its children (a window manager's frame holds the program's window).
xcb_window_t FindWindow(xcb_connection_t* x, xcb_window_t window, xcb_atom_t utf8, xcb_atom_t netName) {
  if (Name(x, window, netName, utf8) == kTitle ||
      Name(x, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) == kTitle)
    return window;
  Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(x, xcb_query_tree(x, window), nullptr), &std::free);
  if (!tree) return XCB_WINDOW_NONE;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
    if (Name(x, children[i], netName, utf8) == kTitle) return children[i];
  return XCB_WINDOW_NONE;
}

pid_t Start(char** command) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::execvp(command[0], command);
    ::_exit(127);
  }
  return child;
}

void Close(xcb_connection_t* x, xcb_window_t window) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = Atom(x, "WM_PROTOCOLS");
  message.data.data32[0] = Atom(x, "WM_DELETE_WINDOW");
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
  xcb_flush(x);
}

// One run: milliseconds from the start of the command to the window mapped; < 0 when the
// connection broke.
double Run(xcb_connection_t* x, char** command, xcb_atom_t utf8, xcb_atom_t netName, xcb_window_t& shown) {
  const auto start = Clocked::now();
  const pid_t child = Start(command);
  double ms = -1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
    const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
    const xcb_window_t window = mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
    std::free(event);
    if (!mapped) continue;
    const auto at = Clocked::now();
    shown = FindWindow(x, window, utf8, netName);
    if (shown == XCB_WINDOW_NONE) continue;
    ms = std::chrono::duration<double, std::milli>(at - start).count();
    break;
  }
  // A command that started Hopwise itself runs on; one that handed over has ended, or soon will.
  int status = 0;
  ::waitpid(child, &status, WNOHANG);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 1;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "-n") == 0) {
    runs = std::max(1, std::atoi(argv[2]));
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: find_window_latency [-n RUNS] COMMAND [ARGUMENTS...]\n");
    return 2;
  }
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    std::fprintf(stderr, "find_window_latency: no X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
  const xcb_atom_t utf8 = Atom(x, "UTF8_STRING");
  const xcb_atom_t netName = Atom(x, "_NET_WM_NAME");
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    xcb_window_t shown = XCB_WINDOW_NONE;
    const double ms = Run(x, argv + first, utf8, netName, shown);
    if (ms < 0) return 1;
    std::printf("run %d: %.1f ms\n", i + 1, ms);
    times.push_back(ms);
    Close(x, shown);
    ::usleep(300 * 1000);  // the window goes before the next run
  }
  std::sort(times.begin(), times.end());
  std::printf("median %.1f ms, slowest %.1f ms over %d runs\n", times[times.size() / 2], times.back(), runs);
  xcb_disconnect(x);
  return 0;
}
