#include "platform/dde_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <future>

#include "platform/dde_test_peers.h"

using namespace ddetest;
using dde::Bytes;
using dde::Result;
using dde::Transaction;
using dde::TransactionType;
using dde::wire::MessageType;

namespace {

// A reply time-out never reached: a call that waits for it instead of ending when the peer hangs up
// or the wait is cut short hangs the test, and CTest's time-out fails it.
constexpr int kNever = 3600 * 1000;

Bytes B(const std::string& s) {
  return Bytes(s.begin(), s.end());
}
std::string S(const std::optional<Bytes>& b) {
  return b ? std::string(b->begin(), b->end()) : "<none>";
}

// Transactions as a callback saw them, safe to read from another thread.
class Log {
 public:
  void Add(const Transaction& t) {
    std::lock_guard lock(mutex_);
    seen_.push_back(t);
  }
  int Count(TransactionType type, dde::ConvHandle conv = 0) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(seen_.begin(), seen_.end(), [&](const Transaction& t) {
      return t.type == type && (conv == 0 || t.conv == conv);
    }));
  }
  std::vector<Transaction> All() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Transaction> seen_;
};

// Answers as a small browser would: accepts topics starting "WWW_", echoes items back.
Result Serve(const Transaction& t) {
  switch (t.type) {
    case TransactionType::Connect:
      return {t.topic.rfind("WWW_", 0) == 0 ? 1u : 0u, {}};
    case TransactionType::Request:
      if (t.item == "none") return {};
      if (t.item == "empty") return {0, Bytes{}};
      if (t.item == "big") return {0, Bytes(1 << 20, 'x')};
      return {0, B("re:" + t.item)};
    case TransactionType::Poke:
      return {t.item == "take" ? dde::kFack : 0u, {}};
    default:
      return {};
  }
}

class Transport : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.Root().empty());
    ASSERT_TRUE(inst.Initialize([this](const Transaction& t) {
      log.Add(t);
      return handler ? handler(t) : Serve(t);
    }));
  }
  std::string Path(const std::string& file) const { return folder.Dir() + "/" + file; }
  PeerThread StartPeer(const std::string& service, Log* peerLog = nullptr) {
    return PeerThread(folder.Dir(), service, [peerLog](dde::Instance&, const Transaction& t) {
      if (peerLog) peerLog->Add(t);
      return Serve(t);
    });
  }

  TempFolder folder;
  dde::Instance inst{folder.Dir()};
  Log log;
  std::function<Result(const Transaction&)> handler;
};

TEST_F(Transport, ConnectsInAnyLetterCaseAndTheServerDecides) {
  Log peerLog;
  PeerThread peer = StartPeer("NETSCAPE", &peerLog);
  ASSERT_TRUE(peer.Registered());

  dde::ConvHandle a = inst.Connect("netscape", "WWW_Activate");
  dde::ConvHandle b = inst.Connect("NetScape", "WWW_OpenURL");
  EXPECT_NE(0u, a);
  EXPECT_NE(0u, b);
  EXPECT_NE(a, b);
  EXPECT_TRUE(inst.IsConnected(a));
  EXPECT_EQ(0u, inst.Connect("NETSCAPE", "Refused"));
  EXPECT_EQ(0u, inst.Connect("NOBODY", "WWW_Activate"));
  EXPECT_EQ(0u, inst.Connect("", "WWW_Activate"));

  ASSERT_TRUE(PumpUntil(inst, [&] { return peerLog.Count(TransactionType::ConnectConfirm) == 2; }));
  std::vector<Transaction> seen = peerLog.All();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(TransactionType::Connect, seen[0].type);
  EXPECT_EQ("NETSCAPE", seen[0].service);  // the server's own spelling
  EXPECT_EQ("WWW_Activate", seen[0].topic);
  EXPECT_EQ(0u, seen[0].conv);
  EXPECT_EQ(TransactionType::ConnectConfirm, seen[1].type);
  EXPECT_NE(0u, seen[1].conv);
  EXPECT_EQ(3, peerLog.Count(TransactionType::Connect));
}

TEST_F(Transport, RequestsAndPokesCarryTheirAnswers) {
  PeerThread peer = StartPeer("NETSCAPE");
  dde::ConvHandle conv = inst.Connect("NETSCAPE", "WWW_GetWindowInfo");
  ASSERT_NE(0u, conv);

  EXPECT_EQ("re:7", S(inst.Request(conv, "7")));
  EXPECT_EQ("<none>", S(inst.Request(conv, "none")));
  EXPECT_EQ("", S(inst.Request(conv, "empty")));  // present but empty is not "no data"
  std::string longItem(100000, 'q');              // no 255-character limit
  EXPECT_EQ("re:" + longItem, S(inst.Request(conv, longItem)));
  std::optional<Bytes> big = inst.Request(conv, "big");
  ASSERT_TRUE(big);
  EXPECT_EQ(size_t{1} << 20, big->size());
  EXPECT_EQ(dde::kFack, inst.Poke(conv, "take"));
  EXPECT_EQ(0u, inst.Poke(conv, "leave"));

  EXPECT_EQ("<none>", S(inst.Request(conv, "7", 0)));  // no time to wait: nothing is sent
  EXPECT_EQ("<none>", S(inst.Request(conv + 1000, "7")));
  EXPECT_EQ("<none>", S(inst.Request(conv, std::string(dde::kMaxFrameBytes, 'x'))));
  EXPECT_EQ("re:8", S(inst.Request(conv, "8")));  // the conversation is still good
}

TEST_F(Transport, ATimedOutRequestIgnoresItsLateReply) {
  RawServer server(Path("slow"), [](RawSocket& s) {
    if (!s.Read() || !s.Write(Msg(MessageType::Accept))) return;
    std::optional<dde::wire::Message> first = s.Read();
    if (!first) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    dde::wire::Message late = Msg(MessageType::Data, first->transaction);
    late.data = B("late");
    s.Write(late);
    std::optional<dde::wire::Message> second = s.Read();
    if (!second) return;
    dde::wire::Message fresh = Msg(MessageType::Data, second->transaction);
    fresh.data = B("fresh");
    s.Write(fresh);
    s.Read();  // until the client hangs up
  });
  dde::ConvHandle conv = inst.Connect("SLOW", "T");
  ASSERT_NE(0u, conv);
  EXPECT_EQ("<none>", S(inst.Request(conv, "first", 100)));
  EXPECT_EQ("fresh", S(inst.Request(conv, "second", 2000)));
  inst.Disconnect(conv);
}

TEST_F(Transport, APeerThatHangsUpMidTransactionAnswersAtOnceAndIsToldOnce) {
  RawServer server(Path("quitter"), [](RawSocket& s) {
    if (!s.Read() || !s.Write(Msg(MessageType::Accept))) return;
    s.Read();  // the request; then hang up without answering
  });
  dde::ConvHandle conv = inst.Connect("QUITTER", "T");
  ASSERT_NE(0u, conv);
  EXPECT_EQ("<none>", S(inst.Request(conv, "x", kNever)));
  EXPECT_FALSE(inst.IsConnected(conv));
  // Not told while the request was on the stack; told once afterwards.
  EXPECT_EQ(0, log.Count(TransactionType::Disconnect, conv));
  PumpUntil(
      inst, [] { return false; }, 50);
  EXPECT_EQ(1, log.Count(TransactionType::Disconnect, conv));
  EXPECT_EQ(0u, inst.Poke(conv, "take"));
}

// A wait on a peer that does not answer gives up once the interrupt descriptor is readable, leaves
// it unread, and waits again once its owner has read it; Interrupt() is for good.
TEST_F(Transport, WaitsGiveUpAtOnceWhileInterrupted) {
  RawServer server(Path("mute"), [](RawSocket& s) {
    if (!s.Read() || !s.Write(Msg(MessageType::Accept))) return;
    while (std::optional<dde::wire::Message> m = s.Read(nullptr, 5000)) {
      if (m->item != "answer") continue;
      dde::wire::Message reply = Msg(MessageType::Data, m->transaction);
      reply.data = B("ok");
      s.Write(reply);
    }
  });
  int pipeFds[2];
  ASSERT_EQ(0, pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK));
  inst.SetInterruptFd(pipeFds[0]);
  dde::ConvHandle conv = inst.Connect("MUTE", "T");
  ASSERT_NE(0u, conv);

  std::thread signal([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(1, write(pipeFds[1], "x", 1));
  });
  EXPECT_EQ("<none>", S(inst.Request(conv, "wait", kNever)));
  signal.join();
  EXPECT_TRUE(inst.Interrupted());
  EXPECT_EQ(0u, inst.Connect("MUTE", "T", 30000));
  EXPECT_EQ("<none>", S(inst.Request(conv, "answer", 30000)));  // not even sent
  char taken = 0;
  ASSERT_EQ(1, read(pipeFds[0], &taken, 1));
  EXPECT_FALSE(inst.Interrupted());
  EXPECT_EQ("ok", S(inst.Request(conv, "answer", 2000)));

  std::thread([this] { inst.Interrupt(); }).join();
  EXPECT_TRUE(inst.Interrupted());
  EXPECT_EQ("<none>", S(inst.Request(conv, "answer", 30000)));
  inst.Disconnect(conv);
  close(pipeFds[0]);
  close(pipeFds[1]);
}

TEST_F(Transport, APeerProcessThatDiesMidTransactionAnswersAtOnce) {
  std::string dir = folder.Dir();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dde::Instance peer(dir);
    bool ok = peer.Initialize([](const Transaction& t) -> Result {
      if (t.type == TransactionType::Request) _exit(0);
      return {1, {}};
    });
    if (!ok || !peer.RegisterService("DYING")) _exit(1);
    for (auto end = Clock::now() + std::chrono::seconds(5); Clock::now() < end;) {
      pollfd p{peer.EventFd(), POLLIN, 0};
      poll(&p, 1, 50);
      peer.Dispatch();
    }
    _exit(5);
  }
  dde::ConvHandle conv = 0;
  for (int i = 0; i < 200 && conv == 0; ++i) {
    conv = inst.Connect("DYING", "T");
    if (conv == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(0u, conv);
  EXPECT_EQ("<none>", S(inst.Request(conv, "die", kNever)));
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(0, WEXITSTATUS(status));
  EXPECT_TRUE(PumpUntil(inst, [&] { return log.Count(TransactionType::Disconnect, conv) == 1; }));
}

TEST_F(Transport, EachSideLearnsOnceOfTheOtherEndingAConversation) {
  Log peerLog;
  PeerThread peer = StartPeer("NETSCAPE", &peerLog);
  dde::ConvHandle mine = inst.Connect("NETSCAPE", "WWW_Activate");
  dde::ConvHandle theirs = inst.Connect("NETSCAPE", "WWW_OpenURL");
  ASSERT_NE(0u, mine);
  ASSERT_NE(0u, theirs);

  inst.Disconnect(mine);
  EXPECT_FALSE(inst.IsConnected(mine));
  inst.Disconnect(mine);  // a second time is ignored
  ASSERT_TRUE(PumpUntil(inst, [&] { return peerLog.Count(TransactionType::Disconnect) == 1; }));

  // The peer ends the other one from its side.
  std::vector<Transaction> seen = peerLog.All();
  dde::ConvHandle peerConv = 0;
  for (const Transaction& t : seen) {
    if (t.type == TransactionType::ConnectConfirm && t.topic == "WWW_OpenURL") peerConv = t.conv;
  }
  ASSERT_NE(0u, peerConv);
  peer.Run([&](dde::Instance& p) { p.Disconnect(peerConv); });
  ASSERT_TRUE(PumpUntil(inst, [&] { return log.Count(TransactionType::Disconnect) > 0; }));
  PumpUntil(
      inst, [] { return false; }, 50);
  EXPECT_EQ(1, log.Count(TransactionType::Disconnect, theirs));
  EXPECT_EQ(0, log.Count(TransactionType::Disconnect, mine));  // this side ended it
  EXPECT_FALSE(inst.IsConnected(theirs));
  EXPECT_EQ(1, peerLog.Count(TransactionType::Disconnect));
}

TEST_F(Transport, BadFramesDropOnlyTheirOwnConnection) {
  ASSERT_TRUE(inst.RegisterService("Server"));
  auto open = [&] {
    RawSocket s = RawSocket::ConnectTo(Path("server"));
    EXPECT_TRUE(s.Write(ConnectMsg("SERVER", "WWW_x")));
    std::optional<dde::wire::Message> reply = s.Read(&inst);
    EXPECT_TRUE(reply && reply->type == MessageType::Accept);
    return s;
  };
  std::vector<Bytes> garbage = {
      {0, 0, 0, 1, 0x7f},                              // unknown type
      {0, 0, 0, 0},                                    // empty body
      {0x01, 0, 0, 1},                                 // longer than the limit, with no body yet
      {0, 0, 0, 5, 0x10, 0, 0, 0, 1},                  // a request without its item
      {0, 0, 0, 10, 0x10, 0, 0, 0, 1, 0, 0, 0, 0, 9},  // a byte after the item
      {0, 0, 0, 1, 0x02},                              // a server's message from a client
  };
  for (size_t i = 0; i < garbage.size(); ++i) {
    SCOPED_TRACE(i);
    RawSocket s = open();
    ASSERT_TRUE(s.Write(garbage[i]));
    EXPECT_TRUE(s.SeesEnd(&inst));
  }
  // Before the handshake too.
  RawSocket early = RawSocket::ConnectTo(Path("server"));
  ASSERT_TRUE(early.Write(Msg(MessageType::Request, 1, "x")));
  EXPECT_TRUE(early.SeesEnd(&inst));

  PumpUntil(
      inst, [] { return false; }, 50);
  EXPECT_EQ(6, log.Count(TransactionType::ConnectConfirm));
  EXPECT_EQ(6, log.Count(TransactionType::Disconnect));
  std::vector<Transaction> seen = log.All();
  for (const Transaction& t : seen) {
    if (t.type == TransactionType::ConnectConfirm) {
      EXPECT_EQ(1, log.Count(TransactionType::Disconnect, t.conv));
    }
  }
  // Still serving.
  RawSocket good = open();
  good.Write(Msg(MessageType::Request, 9, "ok"));
  std::optional<dde::wire::Message> reply = good.Read(&inst);
  ASSERT_TRUE(reply);
  EXPECT_EQ(MessageType::Data, reply->type);
  EXPECT_EQ(9u, reply->transaction);
  EXPECT_EQ(B("re:ok"), reply->data);
}

TEST_F(Transport, FramesAreCollectedAcrossReadsAndSeveralFitOneRead) {
  ASSERT_TRUE(inst.RegisterService("HOPWISE1"));
  RawSocket s = RawSocket::ConnectTo(Path("hopwise1"));
  Bytes hello = Frame(ConnectMsg("hopwise1", "WWW_URLEcho"));
  for (uint8_t byte : hello) {
    ASSERT_TRUE(s.Write(Bytes{byte}));
    inst.Dispatch();
  }
  std::optional<dde::wire::Message> accept = s.Read(&inst);
  ASSERT_TRUE(accept);
  EXPECT_EQ(MessageType::Accept, accept->type);

  Bytes two = Frame(Msg(MessageType::Poke, 5, "take"));
  Bytes request = Frame(Msg(MessageType::Request, 6, "a,b"));
  two.insert(two.end(), request.begin(), request.end());
  ASSERT_TRUE(s.Write(two));
  std::optional<dde::wire::Message> first = s.Read(&inst);
  std::optional<dde::wire::Message> second = s.Read(&inst);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(MessageType::PokeResult, first->type);
  EXPECT_EQ(5u, first->transaction);
  EXPECT_EQ(dde::kFack, first->value);
  EXPECT_EQ(MessageType::Data, second->type);
  EXPECT_EQ(6u, second->transaction);
  EXPECT_EQ(B("re:a,b"), second->data);
  std::vector<Transaction> seen = log.All();
  ASSERT_EQ(4u, seen.size());
  EXPECT_EQ("HOPWISE1", seen[2].service);
  EXPECT_EQ("WWW_URLEcho", seen[2].topic);
  EXPECT_EQ("take", seen[2].item);
}

// A asks B; B's handler asks A back before it answers. A serves B's question inside its own wait.
TEST_F(Transport, ACallbackMayAskBackWhileTheAskerWaits) {
  ASSERT_TRUE(inst.RegisterService("ALPHA"));
  handler = [](const Transaction& t) -> Result {
    if (t.type == TransactionType::Request) return {0, B("alpha:" + t.item)};
    return Serve(t);
  };
  PeerThread beta(folder.Dir(), "BETA", [](dde::Instance& b, const Transaction& t) -> Result {
    if (t.type != TransactionType::Request) return Serve(t);
    dde::ConvHandle back = b.Connect("alpha", "WWW_back");
    std::optional<Bytes> inner = b.Request(back, "inner", 2000);
    b.Disconnect(back);
    return {0, B("beta(" + S(inner) + ")")};
  });
  dde::ConvHandle conv = inst.Connect("BETA", "WWW_ask");
  ASSERT_NE(0u, conv);
  EXPECT_EQ("beta(alpha:inner)", S(inst.Request(conv, "outer", 5000)));
  EXPECT_EQ(1, log.Count(TransactionType::Request));
}

// Waits inside waits within one instance: it serves its own name to itself.
TEST_F(Transport, AnInstanceMayConverseWithItselfAtAnyDepth) {
  ASSERT_TRUE(inst.RegisterService("SELF"));
  handler = [this](const Transaction& t) -> Result {
    if (t.type != TransactionType::Request) return Serve(t);
    if (t.item.size() >= 4) return {0, B(t.item)};
    dde::ConvHandle deeper = inst.Connect("self", "WWW_deeper");
    std::optional<Bytes> r = inst.Request(deeper, t.item + "+", 2000);
    inst.Disconnect(deeper);
    return {0, B("[" + S(r) + "]")};
  };
  dde::ConvHandle conv = inst.Connect("SELF", "WWW_top");
  ASSERT_NE(0u, conv);
  EXPECT_EQ("[[[a+++]]]", S(inst.Request(conv, "a", 5000)));
  inst.Disconnect(conv);
  PumpUntil(
      inst, [] { return false; }, 50);
  // Every conversation was opened and ended here: each ending was told to the serving side once.
  EXPECT_EQ(4, log.Count(TransactionType::ConnectConfirm));
  EXPECT_EQ(4, log.Count(TransactionType::Disconnect));
}

double ThreadCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_THREAD, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// While the callback works on one frame of a conversation (here: waiting on a slow peer), the
// frames behind it wait their turn. A client that hangs up meanwhile is told of only after the
// callback, its unanswered transactions are abandoned, and the wait does not spin on the hang-up.
TEST_F(Transport, LaterFramesAndAHangUpWaitForTheCallbackBusyBeforeThem) {
  PeerThread slow(folder.Dir(), "SLOW", [](dde::Instance&, const Transaction& t) -> Result {
    if (t.type != TransactionType::Request) return Serve(t);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return {0, B("slow")};
  });
  ASSERT_TRUE(inst.RegisterService("HOPWISE1"));
  std::vector<std::string> order;
  handler = [&](const Transaction& t) -> Result {
    if (t.type == TransactionType::Disconnect) order.push_back("disconnect");
    if (t.type != TransactionType::Request) return Serve(t);
    order.push_back(t.item);
    if (t.item != "first") return {0, B("quick")};
    dde::ConvHandle conv = inst.Connect("SLOW", "WWW_x");
    std::optional<Bytes> r = inst.Request(conv, "q", 2000);
    inst.Disconnect(conv);
    order.push_back("first:" + S(r));
    return {0, r};
  };
  RawSocket s = RawSocket::ConnectTo(Path("hopwise1"));
  s.Write(ConnectMsg("HOPWISE1", "WWW_x"));
  ASSERT_TRUE(s.Read(&inst));
  Bytes both = Frame(Msg(MessageType::Request, 1, "first"));
  Bytes second = Frame(Msg(MessageType::Request, 2, "second"));
  both.insert(both.end(), second.begin(), second.end());
  ASSERT_TRUE(s.Write(both));
  std::optional<dde::wire::Message> r1 = s.Read(&inst);
  std::optional<dde::wire::Message> r2 = s.Read(&inst);
  ASSERT_TRUE(r1 && r2);
  EXPECT_EQ(1u, r1->transaction);
  EXPECT_EQ(B("slow"), r1->data);
  EXPECT_EQ(2u, r2->transaction);
  EXPECT_EQ(B("quick"), r2->data);

  ASSERT_TRUE(s.Write(both));
  s.Close();
  double cpu = ThreadCpuSeconds();
  ASSERT_TRUE(PumpUntil(
      inst, [&] { return log.Count(TransactionType::Disconnect) > 0; }, 3000));
  EXPECT_LT(ThreadCpuSeconds() - cpu, 0.05);
  EXPECT_EQ((std::vector<std::string>{"first", "first:slow", "second", "first", "first:slow", "disconnect"}),
            order);
}

TEST_F(Transport, NamesAreOwnedOnceAndStaleSocketsAreReplaced) {
  PeerThread peer = StartPeer("NETSCAPE");
  ASSERT_TRUE(peer.Registered());
  EXPECT_FALSE(inst.RegisterService("netscape"));
  EXPECT_FALSE(inst.RegisterService(""));
  EXPECT_FALSE(inst.RegisterService(std::string(200, 'n')));

  // A socket file nobody listens on, left by a program that ended without cleaning up.
  {
    RawServer gone(Path("hopwise1"), [](RawSocket&) {});
  }
  ASSERT_TRUE(std::filesystem::exists(Path("hopwise1")));
  EXPECT_TRUE(inst.RegisterService("HopWise1"));
  EXPECT_TRUE(inst.RegisterService("HOPWISE1"));  // already ours: the first spelling stays
  ASSERT_NE(0u, inst.Connect("hopwise1", "WWW_x"));
  EXPECT_EQ("HopWise1", log.All()[0].service);

  // Not a socket: left alone.
  std::ofstream(Path("notes")) << "mine";
  EXPECT_FALSE(inst.RegisterService("NOTES"));
  EXPECT_TRUE(std::filesystem::exists(Path("notes")));

  // Unsafe characters are spelled out in the file name.
  ASSERT_TRUE(inst.RegisterService("../Up/.x"));
  EXPECT_TRUE(std::filesystem::exists(Path("%2e%2e%2fup%2f%2ex")));
  EXPECT_NE(0u, inst.Connect("../UP/.X", "WWW_x"));

  inst.UnregisterService("hopwise1");
  EXPECT_FALSE(std::filesystem::exists(Path("hopwise1")));
  EXPECT_EQ(0u, inst.Connect("HOPWISE1", "WWW_x"));
  peer.Run([](dde::Instance& p) { EXPECT_TRUE(p.RegisterService("HOPWISE1")); });
  EXPECT_NE(0u, inst.Connect("HOPWISE1", "WWW_x"));
}

// A program that takes the socket folder's lock and keeps it: registering gives up after a short
// wait, and so does withdrawing a name, whose file stays until the next registration replaces it.
TEST_F(Transport, AFolderLockKeptForeverIsNotWaitedFor) {
  ASSERT_TRUE(inst.RegisterService("HOPWISE1"));
  int held = open(folder.Dir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(0, flock(held, LOCK_EX));
  EXPECT_FALSE(inst.RegisterService("OTHER"));
  inst.UnregisterService("HOPWISE1");
  EXPECT_TRUE(std::filesystem::exists(folder.Dir() + "/hopwise1"));
  close(held);
  EXPECT_TRUE(inst.RegisterService("HOPWISE1"));
}

TEST_F(Transport, DestroyingAnInstanceEndsItsConversationsAndRemovesItsNames) {
  Log peerLog;
  PeerThread peer = StartPeer("NETSCAPE", &peerLog);
  int calls = 0;
  {
    dde::Instance short_lived(folder.Dir());
    ASSERT_TRUE(short_lived.Initialize([&calls](const Transaction& t) {
      ++calls;
      return Serve(t);
    }));
    ASSERT_TRUE(short_lived.RegisterService("GONE"));
    ASSERT_NE(0u, short_lived.Connect("NETSCAPE", "WWW_a"));
    auto theirs = std::async(std::launch::async, [&] {
      dde::ConvHandle h = 0;
      peer.Run([&](dde::Instance& p) { h = p.Connect("GONE", "WWW_b", 2000); });
      return h;
    });
    PumpUntil(short_lived,
              [&] { return theirs.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    EXPECT_NE(0u, theirs.get());
    EXPECT_EQ(2, calls);
  }
  int before = calls;
  EXPECT_FALSE(std::filesystem::exists(Path("gone")));
  ASSERT_TRUE(PumpUntil(inst, [&] { return peerLog.Count(TransactionType::Disconnect) == 2; }));
  EXPECT_EQ(before, calls);
}

TEST_F(Transport, EventFdSignalsWorkAndDispatchNeverBlocks) {
  ASSERT_TRUE(inst.RegisterService("HOPWISE1"));
  inst.Dispatch();  // nothing to serve: returns (a Dispatch that waited would hang the test)
  pollfd p{inst.EventFd(), POLLIN, 0};
  EXPECT_EQ(0, poll(&p, 1, 0));
  RawSocket s = RawSocket::ConnectTo(Path("hopwise1"));
  EXPECT_EQ(1, poll(&p, 1, 1000));
  inst.Dispatch();
  s.Write(ConnectMsg("HOPWISE1", "WWW_URLEcho"));
  EXPECT_EQ(1, poll(&p, 1, 1000));
  inst.Dispatch();
  EXPECT_EQ(1, log.Count(TransactionType::ConnectConfirm));
  s.Close();
  EXPECT_EQ(1, poll(&p, 1, 1000));  // the hang-up, and then the Disconnect that is due
  PumpUntil(inst, [&] { return log.Count(TransactionType::Disconnect) == 1; });
  EXPECT_EQ(0, poll(&p, 1, 0));
}

TEST(TransportFolder, IsMadePrivateAndRefusedWhenOthersCouldGetIn) {
  TempFolder folder;
  auto ok = [](const std::string& dir) {
    return dde::Instance(dir).Initialize([](const Transaction&) { return Result{}; });
  };
  std::string fresh = folder.Root() + "/fresh";
  EXPECT_TRUE(ok(fresh));
  struct stat st {};
  ASSERT_EQ(0, stat(fresh.c_str(), &st));
  EXPECT_EQ(0700u, st.st_mode & 0777);

  std::string open = folder.Root() + "/open";
  mkdir(open.c_str(), 0700);
  chmod(open.c_str(), 0750);
  EXPECT_FALSE(ok(open));
  std::string link = folder.Root() + "/link";
  std::filesystem::create_directory_symlink(fresh, link);
  EXPECT_FALSE(ok(link));
  EXPECT_FALSE(ok(folder.Root() + "/missing/parent"));
  if (geteuid() == 0) {
    std::string foreign = folder.Root() + "/foreign";
    mkdir(foreign.c_str(), 0700);
    ASSERT_EQ(0, chown(foreign.c_str(), 65534, 65534));
    EXPECT_FALSE(ok(foreign));
  }
  dde::Instance unready(fresh);
  EXPECT_FALSE(unready.RegisterService("X"));
  EXPECT_EQ(0u, unready.Connect("X", "Y"));
  unready.Dispatch();
}

// SO_PEERCRED: a process of another user that reaches the socket still gets no conversation.
TEST_F(Transport, PeersOfAnotherUserAreRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  TempFolder shared("/tmp");
  dde::Instance server(shared.Dir());
  int calls = 0;
  ASSERT_TRUE(server.Initialize([&calls](const Transaction& t) {
    ++calls;
    return Serve(t);
  }));
  ASSERT_TRUE(server.RegisterService("HOPWISE1"));
  std::string path = shared.Dir() + "/hopwise1";
  // Let the other user reach the socket at all; the check under test is the one on accept.
  chmod(shared.Root().c_str(), 0711);
  chmod(shared.Dir().c_str(), 0711);
  chmod(path.c_str(), 0777);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    RawSocket s = RawSocket::ConnectTo(path);
    if (!s.Ok()) _exit(3);
    s.Write(ConnectMsg("HOPWISE1", "WWW_URLEcho"));
    std::optional<dde::wire::Message> reply = s.Read(nullptr, 3000);
    _exit(reply ? 4 : 0);
  }
  int status = 0;
  PumpUntil(
      server, [&] { return waitpid(child, &status, WNOHANG) == child; }, 5000);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
  EXPECT_EQ(0, calls);
}

}  // namespace
