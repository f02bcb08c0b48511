#include "bridge/host/frame_codec.h"

#include <gtest/gtest.h>

#include <cstring>

namespace bridge {
namespace {

std::string Frame(std::string_view message) {
  return EncodeFrame(message).value();
}

TEST(FrameCodec, EncodesNativeOrderLengthThenMessage) {
  const std::string frame = Frame("{\"a\":1}");
  ASSERT_EQ(frame.size(), 4u + 7u);
  uint32_t length = 0;
  std::memcpy(&length, frame.data(), 4);
  EXPECT_EQ(length, 7u);
  EXPECT_EQ(frame.substr(4), "{\"a\":1}");
}

TEST(FrameCodec, RefusesMessagesAboveOneMebibyteToTheBrowser) {
  EXPECT_TRUE(EncodeFrame(std::string(kMaxFrameToBrowser, 'x')).has_value());
  EXPECT_FALSE(EncodeFrame(std::string(kMaxFrameToBrowser + 1, 'x')).has_value());
}

TEST(FrameReader, CollectsAFrameSplitAcrossReadsAtEveryByte) {
  const std::string stream = Frame("first") + Frame("") + Frame("third message");
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    FrameReader reader;
    std::vector<std::string> got;
    reader.Feed(stream.substr(0, cut));
    while (auto m = reader.Next()) got.push_back(*m);
    reader.Feed(stream.substr(cut));
    while (auto m = reader.Next()) got.push_back(*m);
    EXPECT_EQ(got, (std::vector<std::string>{"first", "", "third message"})) << "cut at " << cut;
    EXPECT_FALSE(reader.HasPartialFrame());
  }
}

TEST(FrameReader, ByteByByteFeedingYieldsEachFrameOnce) {
  const std::string stream = Frame("one") + Frame("two");
  FrameReader reader;
  std::vector<std::string> got;
  for (char c : stream) {
    reader.Feed(&c, 1);
    while (auto m = reader.Next()) got.push_back(*m);
  }
  EXPECT_EQ(got, (std::vector<std::string>{"one", "two"}));
}

TEST(FrameReader, EndOfInputMidFrameLeavesAPartialFrame) {
  const std::string frame = Frame("unfinished");
  FrameReader reader;
  reader.Feed(frame.substr(0, 2));  // half of the length
  EXPECT_FALSE(reader.Next().has_value());
  EXPECT_TRUE(reader.HasPartialFrame());

  FrameReader body;
  body.Feed(frame.substr(0, frame.size() - 1));  // all but the last byte of the message
  EXPECT_FALSE(body.Next().has_value());
  EXPECT_TRUE(body.HasPartialFrame());
  EXPECT_FALSE(body.Failed());
}

TEST(FrameReader, AnOversizedLengthFailsTheStreamForGood) {
  FrameReader reader(16);
  reader.Feed(Frame("sixteen bytes!!!"));
  EXPECT_EQ(reader.Next(), "sixteen bytes!!!");

  reader.Feed(Frame("seventeen bytes!!") + Frame("ok"));
  EXPECT_FALSE(reader.Next().has_value());
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(reader.RejectedLength(), 17u);
  // Nothing after a bad length can be framed reliably, so nothing more comes out.
  reader.Feed(Frame("ok"));
  EXPECT_FALSE(reader.Next().has_value());
}

TEST(FrameReader, DefaultLimitRejectsAHugeLengthWithoutWaitingForItsBody) {
  FrameReader reader;
  const uint32_t huge = 0xFFFFFFFFu;
  reader.Feed(reinterpret_cast<const char*>(&huge), 4);
  EXPECT_FALSE(reader.Next().has_value());
  EXPECT_TRUE(reader.Failed());
}

}  // namespace
}  // namespace bridge
