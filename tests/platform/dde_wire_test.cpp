#include "platform/dde_wire.h"

#include <gtest/gtest.h>

#include "platform/dde_names.h"

using dde::Bytes;
using dde::wire::FrameReader;
using dde::wire::Message;
using dde::wire::MessageType;
using dde::wire::ReadStatus;

namespace {

Message Make(MessageType type, uint32_t transaction = 0) {
  Message m;
  m.type = type;
  m.transaction = transaction;
  return m;
}

// The bytes other programs are written against: big-endian lengths, type first.
TEST(DdeWire, FramesHaveTheDocumentedBytes) {
  Message hello = Make(MessageType::Connect);
  hello.service = "NS";
  hello.topic = "T";
  EXPECT_EQ((Bytes{0, 0, 0, 13, 0x01, 1, 0, 0, 0, 2, 'N', 'S', 0, 0, 0, 1, 'T'}), *EncodeFrame(hello));
  Message data = Make(MessageType::Data, 0x01020304);
  data.data = {0, 0xff};
  EXPECT_EQ((Bytes{0, 0, 0, 7, 0x20, 1, 2, 3, 4, 0, 0xff}), *EncodeFrame(data));
  Message poke = Make(MessageType::PokeResult, 2);
  poke.value = dde::kFack;
  EXPECT_EQ((Bytes{0, 0, 0, 9, 0x22, 0, 0, 0, 2, 0, 0, 0x80, 0}), *EncodeFrame(poke));
  EXPECT_EQ((Bytes{0, 0, 0, 1, 0x03}), *EncodeFrame(Make(MessageType::Refuse)));

  Message huge = Make(MessageType::Data);
  huge.data.resize(dde::kMaxFrameBytes - 5);
  EXPECT_TRUE(EncodeFrame(huge));
  huge.data.push_back(0);
  EXPECT_FALSE(EncodeFrame(huge));
}

TEST(DdeWire, BodiesMustBeExactlyOneMessage) {
  auto decodes = [](Bytes body) { return dde::wire::DecodeBody(body.data(), body.size()).has_value(); };
  EXPECT_TRUE(decodes({0x10, 0, 0, 0, 1, 0, 0, 0, 2, 'a', 'b'}));
  EXPECT_FALSE(decodes({0x10, 0, 0, 0, 1, 0, 0, 0, 3, 'a', 'b'}));       // string runs past the end
  EXPECT_FALSE(decodes({0x10, 0, 0, 0, 1, 0, 0, 0, 2, 'a', 'b', 'c'}));  // a byte left over
  EXPECT_FALSE(decodes({0x10, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
  EXPECT_FALSE(decodes({0x02, 0}));
  EXPECT_FALSE(decodes({0x99}));
  EXPECT_FALSE(decodes({}));
  EXPECT_TRUE(decodes({0x20, 0, 0, 0, 1}));  // data that is present and empty
}

TEST(DdeWire, ReaderCollectsFramesSplitAnywhere) {
  Message request = Make(MessageType::Request, 7);
  request.item = "\"http://x/\",,4294967295,0,";
  Bytes stream = *EncodeFrame(request);
  Bytes second = *EncodeFrame(Make(MessageType::NoData, 8));
  stream.insert(stream.end(), second.begin(), second.end());
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    SCOPED_TRACE(cut);
    FrameReader reader;
    std::vector<Message> got;
    Message m;
    reader.Append(stream.data(), cut);
    while (reader.Next(m) == ReadStatus::Ready) got.push_back(m);
    reader.Append(stream.data() + cut, stream.size() - cut);
    while (reader.Next(m) == ReadStatus::Ready) got.push_back(m);
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ(request.item, got[0].item);
    EXPECT_EQ(7u, got[0].transaction);
    EXPECT_EQ(MessageType::NoData, got[1].type);
    EXPECT_EQ(0u, reader.Buffered());
  }
}

TEST(DdeWire, ReaderJudgesTheLengthBeforeTheBodyArrives) {
  Message m;
  FrameReader atLimit;
  uint32_t n = dde::kMaxFrameBytes;
  Bytes header = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
  atLimit.Append(header.data(), 4);
  EXPECT_EQ(ReadStatus::NeedMore, atLimit.Next(m));
  FrameReader over;
  ++n;
  header = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
  over.Append(header.data(), 4);
  EXPECT_EQ(ReadStatus::Oversized, over.Next(m));
  FrameReader empty;
  empty.Append(Bytes{0, 0, 0, 0}.data(), 4);
  EXPECT_EQ(ReadStatus::Malformed, empty.Next(m));
}

TEST(DdeNames, FileNamesIgnoreCaseAndSpellOutUnsafeBytes) {
  EXPECT_EQ("hopwise1", dde::names::SocketFileName("HOPWISE1"));
  EXPECT_EQ("hopwise1", dde::names::SocketFileName("HopWise1"));
  EXPECT_EQ("net%2fscape", dde::names::SocketFileName("Net/Scape"));
  EXPECT_EQ("%2e%2e", dde::names::SocketFileName(".."));
  EXPECT_EQ("a%25b_c-d", dde::names::SocketFileName("a%b_c-d"));  // '%' itself, so no two names meet
  EXPECT_EQ("%c9%e9%00", dde::names::SocketFileName(std::string("\xc9\xe9\0", 3)));  // ASCII folding only
  EXPECT_FALSE(dde::names::SocketFileName(""));
  EXPECT_EQ("/run/x/netscape", dde::names::SocketPath("/run/x", "NETSCAPE"));
  EXPECT_TRUE(
      dde::names::SocketPath("/run/x", std::string(100, 'a')));  // 107 bytes: the most there is room for
  EXPECT_FALSE(dde::names::SocketPath("/run/x", std::string(101, 'a')));
  EXPECT_FALSE(dde::names::SocketPath("/run/x", ""));
}

}  // namespace
