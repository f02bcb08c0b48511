#include "platform/listener_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Listener {
  std::string name;
  std::vector<std::string>* heard;
  std::function<void()> onTold;
  void Told() {
    heard->push_back(name);
    if (onTold) onTold();
  }
};

}  // namespace

TEST(ListenerListTest, SubscriptionsLeaveWhenTheyGoAndListenersMayLeaveWhileTold) {
  std::vector<std::string> heard;
  ListenerList<Listener> list;
  Listener a{"a", &heard, {}}, b{"b", &heard, {}}, c{"c", &heard, {}};
  auto subA = list.Subscribe(a);
  auto subB = list.Subscribe(b);
  {
    auto subC = list.Subscribe(c);
    { auto again = list.Subscribe(c); }  // adds nothing, and its end takes nothing away
    list.Notify([](Listener& l) { l.Told(); });
  }
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), heard) << "c told once, while subscribed";
  heard.clear();
  list.Notify([](Listener& l) { l.Told(); });
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), heard) << "c left with its subscription";

  heard.clear();
  a.onTold = [&] { subB.Leave(); };  // b leaves before its turn: it is not told
  list.Notify([](Listener& l) { l.Told(); });
  EXPECT_EQ((std::vector<std::string>{"a"}), heard);

  heard.clear();
  auto moved = std::move(subA);
  subA = {};
  list.Notify([](Listener& l) { l.Told(); });
  EXPECT_EQ((std::vector<std::string>{"a"}), heard) << "a moved subscription keeps its place";
}

TEST(ListenerListTest, ASubscriptionMayOutliveItsList) {
  std::vector<std::string> heard;
  Listener a{"a", &heard, {}};
  ListenerList<Listener>::Subscription sub;
  {
    ListenerList<Listener> list;
    sub = list.Subscribe(a);
  }
  sub.Leave();  // nothing to leave: no crash, no use of the gone list (ASan checks)
  SUCCEED();
}
