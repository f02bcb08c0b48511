// What hostile or careless peers may cost a serving instance: connections, descriptors, unread
// replies and frames that never end.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "platform/dde_instance.h"
#include "platform/dde_test_peers.h"

using namespace ddetest;
using dde::Bytes;
using dde::Result;
using dde::Transaction;
using dde::TransactionType;
using dde::wire::MessageType;

namespace {

constexpr size_t kMiB = size_t{1} << 20;

Result Echo(const Transaction& t) {
  if (t.type == TransactionType::Connect) return {1, {}};
  if (t.type == TransactionType::Request) return {0, Bytes(t.item.begin(), t.item.end())};
  return {};
}

// A raw connection fed without blocking, a piece at a time.
class Feeder {
 public:
  Feeder(RawSocket socket, const Bytes& bytes) : socket_(std::move(socket)), bytes_(&bytes) {}
  // Sends what the socket takes now; true when something went.
  bool Step() {
    if (Done()) return false;
    size_t most = std::min<size_t>(256 * 1024, bytes_->size() - sent_);
    ssize_t n = send(socket_.Fd(), bytes_->data() + sent_, most, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) sent_ += static_cast<size_t>(n);
    if (n < 0 && errno != EAGAIN) broken_ = true;
    return n > 0;
  }
  bool Done() const { return broken_ || sent_ == bytes_->size(); }
  size_t Sent() const { return sent_; }
  // The instance has closed the connection.
  bool Ended() {
    if (broken_) return true;
    pollfd p{socket_.Fd(), POLLIN, 0};
    uint8_t byte;
    return poll(&p, 1, 0) == 1 && recv(socket_.Fd(), &byte, 1, MSG_DONTWAIT | MSG_PEEK) <= 0;
  }
  RawSocket& Socket() { return socket_; }

 private:
  RawSocket socket_;
  const Bytes* bytes_;
  size_t sent_ = 0;
  bool broken_ = false;
};

// Feeds every feeder and serves the instance until all is sent or nothing more has gone for
// stallMs; `watch` looks at the instance after every round.
void Feed(std::vector<Feeder>& feeders, dde::Instance& inst, const std::function<void()>& watch) {
  constexpr auto kStall = std::chrono::milliseconds(300);
  for (auto progress = Clock::now(); Clock::now() - progress < kStall;) {
    bool moved = false;
    bool left = false;
    for (Feeder& f : feeders) {
      moved |= f.Step();
      left |= !f.Done();
    }
    inst.Dispatch();
    watch();
    if (!left) return;
    if (moved) progress = Clock::now();
    pollfd p{inst.EventFd(), POLLIN, 0};
    if (!moved) poll(&p, 1, 5);
  }
}

size_t ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoul(line.substr(6)) * 1024;
  }
  return 0;
}

class Limits : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(inst.Initialize(Echo));
    ASSERT_TRUE(inst.RegisterService("HOPWISE1"));
  }
  RawSocket Open() {
    RawSocket s = RawSocket::ConnectTo(folder.Dir() + "/hopwise1");
    EXPECT_TRUE(s.Write(ConnectMsg("HOPWISE1", "WWW_x")));
    std::optional<dde::wire::Message> accept = s.Read(&inst);
    EXPECT_TRUE(accept && accept->type == MessageType::Accept);
    return s;
  }
  TempFolder folder;
  dde::Instance inst{folder.Dir()};
};

Bytes Requests(uint32_t count, size_t itemBytes) {
  Bytes all;
  for (uint32_t i = 1; i <= count; ++i) {
    Bytes frame = Frame(Msg(MessageType::Request, i, std::string(itemBytes, 'r')));
    all.insert(all.end(), frame.begin(), frame.end());
  }
  return all;
}

// Past 1 MiB of unread replies the connection is not read from: what it holds stays near that
// (3 MiB with the room its buffers make), and every request is answered, in order, once the peer
// reads.
TEST_F(Limits, APeerThatLeavesItsRepliesUnreadIsNotReadFromUntilItTakesThem) {
  const uint32_t kCount = 4000;
  const Bytes requests = Requests(kCount, 1000);
  std::vector<Feeder> feeders;
  feeders.emplace_back(Open(), requests);
  size_t peak = 0;
  Feed(feeders, inst, [&] {
    dde::Instance::Load load = inst.CurrentLoad();
    peak = std::max(peak, load.heldInput + load.queuedOutput);
  });
  EXPECT_LT(feeders[0].Sent(), requests.size() / 2) << "the instance stopped reading";
  EXPECT_LE(peak, 3 * kMiB);

  uint32_t next = 1;
  for (auto end = Clock::now() + std::chrono::seconds(20); next <= kCount && Clock::now() < end;) {
    feeders[0].Step();
    std::optional<dde::wire::Message> reply = feeders[0].Socket().Read(&inst, 20);
    if (!reply) continue;
    ASSERT_EQ(next, reply->transaction);
    ++next;
  }
  EXPECT_EQ(kCount + 1, next);
}

// Many such peers together: the one holding the most goes once all pass 8 MiB.
TEST_F(Limits, UnreadRepliesOfAllConnectionsTogetherStayWithinTheirBudget) {
  const Bytes requests = Requests(2000, 1000);
  std::vector<Feeder> feeders;
  for (int i = 0; i < 12; ++i) feeders.emplace_back(Open(), requests);
  size_t peak = 0;
  Feed(feeders, inst, [&] { peak = std::max(peak, inst.CurrentLoad().queuedOutput); });
  EXPECT_LE(peak, dde::kMaxQueuedBytes);
  EXPECT_GT(std::count_if(feeders.begin(), feeders.end(), [](Feeder& f) { return f.Ended(); }), 0);
  feeders.clear();
  EXPECT_TRUE(PumpUntil(inst, [&] { return inst.CurrentLoad().connections == 0; }));
  EXPECT_EQ(0u, inst.CurrentLoad().queuedOutput);
}

// Frames of the largest size that never end, on many connections: the connection holding the most
// goes once they all pass 32 MiB, and what they held goes back to the system when they close.
TEST_F(Limits, FramesThatNeverEndAreBoundedAndTheirMemoryComesBack) {
  Bytes frame = Frame(Msg(MessageType::Request, 1, std::string(dde::kMaxFrameBytes - 9, 'f')));
  frame.pop_back();  // never complete
  const size_t before = ResidentBytes();
  std::vector<Feeder> feeders;
  for (int i = 0; i < 6; ++i) feeders.emplace_back(Open(), frame);
  size_t peak = 0;
  Feed(feeders, inst, [&] { peak = std::max(peak, inst.CurrentLoad().heldInput); });
  EXPECT_LE(peak, dde::kMaxHeldInputBytes);
  EXPECT_GE(std::count_if(feeders.begin(), feeders.end(), [](Feeder& f) { return f.Ended(); }), 4);

  feeders.clear();
  EXPECT_TRUE(PumpUntil(inst, [&] { return inst.CurrentLoad().connections == 0; }));
  EXPECT_EQ(0u, inst.CurrentLoad().heldInput);
  EXPECT_LT(ResidentBytes(), before + 8 * kMiB);
}

// One connection more than the cap closes the one quiet longest; a connection that sent a frame
// lately stays.
TEST_F(Limits, PastTheConnectionCapTheQuietestGoes) {
  std::vector<RawSocket> open;
  for (size_t i = 0; i < dde::kMaxServedConnections; ++i) open.push_back(Open());
  ASSERT_TRUE(open[0].Write(Msg(MessageType::Request, 1, "still here")));
  ASSERT_TRUE(open[0].Read(&inst));
  RawSocket newcomer = Open();
  EXPECT_TRUE(open[1].SeesEnd(&inst));
  EXPECT_EQ(dde::kMaxServedConnections, inst.CurrentLoad().connections);
  for (RawSocket* s : {&open[0], &open[2], &newcomer}) {
    ASSERT_TRUE(s->Write(Msg(MessageType::Request, 2, "x")));
    EXPECT_TRUE(s->Read(&inst));
  }
}

double ProcessCpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 3; i < 14; ++i) fields >> skip;  // state .. cmajflt
  double user = 0, system = 0;
  fields >> user >> system;
  return (user + system) / double(sysconf(_SC_CLK_TCK));
}

// A server that runs out of descriptors, with more connections waiting than it can take: it sleeps
// instead of spinning on its listener, lets the quietest connection make room for a newcomer, and
// serves as before once the connections have gone.
TEST(TransportDescriptors, RunningOutNeitherSpinsNorStopsServing) {
  TempFolder folder;
  const std::string dir = folder.Dir();
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit few{32, 32};
    dde::Instance server(dir);
    if (setrlimit(RLIMIT_NOFILE, &few) != 0 || !server.Initialize(Echo) ||
        !server.RegisterService("HOPWISE1"))
      _exit(1);
    [[maybe_unused]] ssize_t n = write(ready[1], "r", 1);
    for (auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
      pollfd p{server.EventFd(), POLLIN, 0};
      poll(&p, 1, 100);
      server.Dispatch();
    }
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(1, read(ready[0], &byte, 1));
  const std::string path = dir + "/hopwise1";
  std::vector<RawSocket> crowd;
  for (int i = 0; i < 100; ++i) {
    RawSocket s(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    if (connect(s.Fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) crowd.push_back(std::move(s));
    if (i % 10 == 9) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const double cpu = ProcessCpuSeconds(child);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_LT(ProcessCpuSeconds(child) - cpu, 0.2) << "the server spins";

  auto ask = [&](uint32_t transaction) {
    RawSocket s = RawSocket::ConnectTo(path);
    if (!s.Write(ConnectMsg("HOPWISE1", "WWW_x")) || !s.Read()) return false;
    std::optional<dde::wire::Message> reply =
        s.Write(Msg(MessageType::Request, transaction, "hello")) ? s.Read() : std::nullopt;
    return reply && reply->transaction == transaction;
  };
  EXPECT_TRUE(ask(1)) << "a newcomer is served while the crowd holds on";
  crowd.clear();
  EXPECT_TRUE(ask(2));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
