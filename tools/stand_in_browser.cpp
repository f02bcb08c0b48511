// The stand-in browser: plays the browser's side of the link for tests and demos.
//
// Commands, one per line on standard input (end of input is quit):
//   visit WINDOW_ID URL TITLE...   the window shows the page (and echoes it to the echo servers)
//   close WINDOW_ID                the window is gone
//   servers                        lists the registered echo servers
//   hang                           from now on the browser hangs at the first request or poke it
//                                  receives: it never answers it and serves nothing more, though
//                                  its name stays registered (end it with a signal)
//   quit
// Standard output, one line each, fields separated by tabs (control characters shown as \t, \n,
// \r or \xNN):
//   ready                                     "NETSCAPE" is served
//   KIND  TOPIC  ITEM  ANSWER                 a transaction received (connect, request, poke,
//                                             disconnect)
//   echo  SERVER  ITEM  ack|no ack            an echo sent
//   servers  NAME...                          the answer to "servers"
//   done  COMMAND                             a command has been carried out
//   error  TEXT                               a command that could not be carried out
// A served "WWW_OpenURL" shows the URL, titled by itself, in a new window, and echoes it after
// answering.
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "browser/browser_peer.h"
#include "browser/verb_table.h"

namespace {

std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void PrintLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) line += '\t';
    line += Printable(fields[i]);
  }
  line += '\n';
  std::fputs(line.c_str(), stdout);
  std::fflush(stdout);
}

class StandInBrowser {
 public:
  StandInBrowser() : peer_(instance_, MakeHooks()) {}

  bool Start() { return peer_.Start(); }
  int EventFd() const { return instance_.EventFd(); }
  void Dispatch() { peer_.Dispatch(); }

  // Carries out one command line; false for quit.
  bool Command(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb.empty()) return true;
    if (verb == "quit") return false;
    if (verb == "visit") {
      if (!Visit(in)) return Error("usage: visit WINDOW_ID URL TITLE...");
    } else if (verb == "close") {
      uint32_t id = 0;
      if (!(in >> id) || !peer_.CloseWindow(id)) return Error("no such window: " + line);
    } else if (verb == "hang") {
      hanging_ = true;
    } else if (verb == "servers") {
      std::vector<std::string> fields{"servers"};
      for (const auto& s : peer_.EchoServers()) fields.push_back(s);
      PrintLine(fields);
    } else {
      return Error("unknown command: " + line);
    }
    PrintLine({"done", line});
    return true;
  }

 private:
  BrowserPeer::Hooks MakeHooks() {
    BrowserPeer::Hooks hooks;
    hooks.openUrl = [this](const std::string& url, uint32_t) {
      // The window exists at once (an Activate that follows finds it); the echo goes after the answer.
      uint32_t id = NewWindowId();
      peer_.SetWindow(id, url, url);
      peer_.Defer([this, id, url] { peer_.EchoPage(id, url); });
      return id;
    };
    hooks.served = [this](const BrowserPeer::Served& s) {
      PrintLine({s.kind, s.topic, s.item, s.answer});
      if (hanging_ && (s.kind == "request" || s.kind == "poke")) {
        for (;;) pause();  // the answer is never sent, nor anything after it
      }
    };
    hooks.echoed = [](const std::string& server, const std::string& item, uint32_t result) {
      PrintLine({"echo", server, item, result == dde::kFack ? "ack" : "no ack"});
    };
    return hooks;
  }

  bool Visit(std::istringstream& in) {
    uint32_t id = 0;
    std::string url;
    if (!(in >> id >> url) || id == 0 || id == kAnyWindow) return false;
    std::string title;
    std::getline(in >> std::ws, title);
    peer_.ShowPage(id, url, title);
    return true;
  }

  bool Error(const std::string& text) {
    PrintLine({"error", text});
    return true;
  }

  uint32_t NewWindowId() const {
    uint32_t highest = 0;
    for (const auto& w : peer_.Windows()) highest = std::max(highest, w.id);
    return highest + 1;
  }

  dde::Instance instance_;
  BrowserPeer peer_;
  bool hanging_ = false;
};

constexpr char kHelp[] =
    "usage: hopwise-stand-in-browser [--help]\n"
    "Plays a web browser for Hopwise, so Hopwise can be tried without one: start Hopwise, start this\n"
    "in a terminal, and type commands, one per line:\n"
    "  visit WINDOW_ID URL TITLE...   a window shows the page (Hopwise records it)\n"
    "  close WINDOW_ID                the window is gone\n"
    "  servers                        lists who asked for the pages (Hopwise's \"HOPWISE1\")\n"
    "  quit                           (or Ctrl+D)\n"
    "Example: visit 1 https://en.wikipedia.org/wiki/Hop Hop - Wikipedia\n"
    "A page chosen from Hopwise's menus opens in a new window here. Every transaction is printed,\n"
    "one line each. The process is named netscape.exe, which is how Hopwise finds a browser.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h";
    std::fputs(kHelp, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  prctl(PR_SET_NAME, "netscape.exe", 0, 0, 0);
  StandInBrowser browser;
  if (!browser.Start()) {
    std::fprintf(stderr, "hopwise-stand-in-browser: cannot serve NETSCAPE\n");
    return 1;
  }
  PrintLine({"ready"});

  std::string pending;
  for (;;) {
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {browser.EventFd(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return 1;
    }
    if (fds[1].revents) browser.Dispatch();
    if (!fds[0].revents) continue;
    char chunk[4096];
    ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 0;  // end of input is quit
    pending.append(chunk, static_cast<size_t>(n));
    for (size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, eol);
      pending.erase(0, eol + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!browser.Command(line)) return 0;
      browser.Dispatch();
    }
  }
}
