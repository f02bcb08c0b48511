#include "platform/event.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(Event, StartsClearAndResetsItselfOnTest) {
  Event e;
  EXPECT_FALSE(e.Test());
  e.Set();
  EXPECT_TRUE(e.IsSet());
  EXPECT_TRUE(e.Test());
  EXPECT_FALSE(e.Test());
}

TEST(Event, WaitTimesOutWhenNeverSetAndWakesWhenSetFromAnotherThread) {
  Event e;
  EXPECT_FALSE(e.Wait(10ms));
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    e.Set();
  });
  EXPECT_TRUE(e.Wait());
  EXPECT_FALSE(e.IsSet());
  setter.join();
  e.Set();
  e.Reset();
  EXPECT_FALSE(e.Wait(0ms));
}
