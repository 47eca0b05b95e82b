#include "sim/reply_scheduler.h"

#include <gtest/gtest.h>

#include <string>

namespace pv7100::sim {
namespace {

// True when `part` can be had from `whole` by deleting characters.
bool isSubsequence(const std::string& part, const std::string& whole) {
  std::size_t next = 0;
  for (const char c : whole) {
    if (next < part.size() && part[next] == c) ++next;
  }
  return next == part.size();
}

TEST(SimReplyScheduler, PlainRepliesGoOutAtOnceAndWhole) {
  ReplyScheduler scheduler({}, 0);
  EXPECT_EQ(scheduler.nextDue(), std::nullopt);
  scheduler.submit("80\r", 100);
  EXPECT_EQ(scheduler.nextDue(), 100);
  EXPECT_EQ(scheduler.takeDue(99), "");
  EXPECT_EQ(scheduler.takeDue(100), "80\r");
  EXPECT_EQ(scheduler.nextDue(), std::nullopt);
  EXPECT_EQ(scheduler.takeDue(1000), "");
}

TEST(SimReplyScheduler, KeepsTheOrderOfReplies) {
  ReplyScheduler scheduler({}, 0);
  scheduler.submit("\x06", 10);
  scheduler.submit("00\r", 10);
  scheduler.submit("\x15\r", 12);
  EXPECT_EQ(scheduler.takeDue(11),
            "\x06"
            "00\r");
  EXPECT_EQ(scheduler.takeDue(12), "\x15\r");
}

TEST(SimReplyScheduler, DelayHoldsEachReplyBack) {
  ReplyScheduler scheduler({.delayMs = 700}, 0);
  scheduler.submit("80\r", 100);
  scheduler.submit("\x06", 150);
  EXPECT_EQ(scheduler.nextDue(), 800);
  EXPECT_EQ(scheduler.takeDue(799), "");
  EXPECT_EQ(scheduler.takeDue(800), "80\r");
  EXPECT_EQ(scheduler.nextDue(), 850);
  EXPECT_EQ(scheduler.takeDue(849), "");
  EXPECT_EQ(scheduler.takeDue(850), "\x06");
}

TEST(SimReplyScheduler, SplitSendsOneByteEveryGap) {
  ReplyScheduler scheduler({.split = true}, 0);
  scheduler.submit("00\r", 100);
  EXPECT_EQ(scheduler.takeDue(100), "0");
  EXPECT_EQ(scheduler.nextDue(), 100 + kSplitGapMs);
  EXPECT_EQ(scheduler.takeDue(100 + kSplitGapMs - 1), "");
  EXPECT_EQ(scheduler.takeDue(100 + kSplitGapMs), "0");
  EXPECT_EQ(scheduler.takeDue(100 + 2 * kSplitGapMs), "\r");
  EXPECT_EQ(scheduler.nextDue(), std::nullopt);
}

TEST(SimReplyScheduler, SplitRepliesDoNotOverlap) {
  ReplyScheduler scheduler({.split = true}, 0);
  scheduler.submit("AB", 0);
  scheduler.submit("CD", 1);
  EXPECT_EQ(scheduler.takeDue(kSplitGapMs), "AB");
  EXPECT_EQ(scheduler.takeDue(2 * kSplitGapMs), "C");
  EXPECT_EQ(scheduler.takeDue(3 * kSplitGapMs), "D");
}

TEST(SimReplyScheduler, SplitAndDelayTogether) {
  ReplyScheduler scheduler({.split = true, .delayMs = 600}, 0);
  scheduler.submit("80\r", 0);
  EXPECT_EQ(scheduler.takeDue(599), "");
  EXPECT_EQ(scheduler.takeDue(600), "8");
  EXPECT_EQ(scheduler.takeDue(600 + 2 * kSplitGapMs), "0\r");
}

TEST(SimReplyScheduler, SilentDropsEveryReply) {
  ReplyScheduler scheduler({.silent = true}, 0);
  scheduler.submit("80\r", 0);
  scheduler.submit("\x06", 5);
  EXPECT_EQ(scheduler.nextDue(), std::nullopt);
  EXPECT_EQ(scheduler.takeDue(100'000), "");
}

TEST(SimReplyScheduler, GarbageMixesOneToThreeBytesIntoEachReply) {
  ReplyScheduler scheduler({.garbage = true, .seed = 7}, 0);
  bool sawMoreThanOne = false;
  for (int i = 0; i < 50; ++i) {
    scheduler.submit("00\r", i);
    const std::string out = scheduler.takeDue(i);
    ASSERT_GE(out.size(), 4u);
    ASSERT_LE(out.size(), 6u);
    EXPECT_TRUE(isSubsequence("00\r", out));
    sawMoreThanOne = sawMoreThanOne || out.size() > 4;
  }
  EXPECT_TRUE(sawMoreThanOne);
}

TEST(SimReplyScheduler, TheSeedMakesRandomPartsRepeatable) {
  auto run = [](std::uint32_t seed) {
    ReplyScheduler scheduler({.garbage = true, .chattyRate = 50, .seed = seed}, 0);
    std::string out;
    for (int i = 0; i < 20; ++i) {
      scheduler.submit("80\r", i * 100);
      out += scheduler.takeDue(i * 100);
    }
    return out;
  };
  EXPECT_EQ(run(3), run(3));
  EXPECT_NE(run(3), run(4));
}

TEST(SimReplyScheduler, ChattyTalksAtItsRateFromTheStart) {
  ReplyScheduler scheduler({.chattyRate = 100}, 5'000);
  EXPECT_EQ(scheduler.nextDue(), 5'010);
  EXPECT_EQ(scheduler.takeDue(5'009), "");
  const std::string second = scheduler.takeDue(6'000);
  EXPECT_EQ(second.size(), 100u);
  for (const char c : second) {
    EXPECT_GE(c, ' ');
    EXPECT_LE(c, 'z');
  }
  EXPECT_EQ(scheduler.nextDue(), 6'010);
  EXPECT_EQ(scheduler.takeDue(6'009), "");
  EXPECT_EQ(scheduler.takeDue(6'010).size(), 1u);
}

TEST(SimReplyScheduler, ChattyReachesTheFullLineRate) {
  ReplyScheduler scheduler({.chattyRate = 1920}, 0);
  std::size_t total = 0;
  for (Millis t = 1; t <= 1'000; ++t) total += scheduler.takeDue(t).size();
  EXPECT_EQ(total, 1920u);
}

TEST(SimReplyScheduler, ChattyStillDeliversReplies) {
  ReplyScheduler scheduler({.chattyRate = 10}, 0);
  scheduler.submit("80\r", 50);
  EXPECT_EQ(scheduler.nextDue(), 50);
  EXPECT_EQ(scheduler.takeDue(50), "80\r");
  EXPECT_EQ(scheduler.nextDue(), 100);
}

}  // namespace
}  // namespace pv7100::sim
