#include "store/archive.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "store/failing_stream.h"
#include "support/recording_message_boxes.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string Le32(uint32_t v) {
  return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(HOPWISE_TEST_DATA) + "/archive/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return {std::istreambuf_iterator<char>(in), {}};
}

std::unique_ptr<CPez> Pez(std::string url, std::string title, Time32 first, Time32 last, uint32_t size = 0) {
  auto p = std::make_unique<CPez>();
  p->url = std::move(url);
  p->title = std::move(title);
  p->firstVisited = first;
  p->lastVisited = last;
  p->size = size;
  return p;
}

std::vector<CPez> Copies(const std::vector<std::unique_ptr<CPez>>& pages) {
  std::vector<CPez> copies;
  for (const auto& p : pages) copies.push_back(*p);
  return copies;
}

std::string WritePages(const std::vector<std::unique_ptr<CPez>>& pages) {
  std::ostringstream out;
  WritePezArray(out, Copies(pages));
  return out.str();
}

std::vector<std::unique_ptr<CPez>> ReadPages(const std::string& bytes, MessageBoxes& messages) {
  std::istringstream in(bytes);
  return ReadPezArray(in);
}

std::string RoundTripString(const std::string& text, std::string* written = nullptr) {
  std::ostringstream out;
  ArchiveWriter(out).WriteString(text);
  if (written) *written = out.str();
  std::istringstream in(out.str());
  ArchiveReader reader(in, "");
  std::string back = reader.ReadString();
  EXPECT_EQ(out.str().size(), reader.Offset());
  return back;
}

class ArchiveTest : public ::testing::Test {
 protected:
  RecordingMessageBoxes messages;
};

TEST_F(ArchiveTest, TwoPageMarksAreLaidOutByteForByte) {
  std::vector<std::unique_ptr<CPez>> pages;
  pages.push_back(Pez("http://a.b/", "T", 1000000000, 1000000300));
  pages.push_back(Pez("http://c.d/", "U", 1000000400, 1000000500, 4096));

  std::string expected = Bytes({0x02, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x04, 0x00}) + "CPez" + Bytes({0x0B}) +
                         "http://a.b/" + Bytes({0x01}) + "T" + Le32(0) + Le32(1000000000) + Le32(1000000300) +
                         Le32(0) + Bytes({0x01, 0x80}) + Bytes({0x0B}) + "http://c.d/" + Bytes({0x01}) + "U" +
                         Le32(0) + Le32(1000000400) + Le32(1000000500) + Le32(4096);
  EXPECT_EQ(expected, WritePages(pages));
  EXPECT_EQ(Fixture("cache_two_records.data"), expected);

  auto back = ReadPages(expected, messages);
  ASSERT_EQ(2u, back.size());
  EXPECT_EQ("http://c.d/", back[1]->url);
  EXPECT_EQ("U", back[1]->title);
  EXPECT_EQ(1000000400, back[1]->firstVisited);
  EXPECT_EQ(1000000500, back[1]->lastVisited);
  EXPECT_EQ(4096u, back[1]->size);
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(ArchiveTest, EmptyArrayIsTwoZeroBytes) {
  EXPECT_EQ(Bytes({0, 0}), WritePages({}));
  EXPECT_TRUE(ReadPages(Bytes({0, 0}), messages).empty());
  std::ostringstream out;
  WriteTopicArray(out, {});
  EXPECT_EQ(Bytes({0, 0}), out.str());
}

TEST_F(ArchiveTest, StringLengthFormsAtTheirBoundaries) {
  std::string written;
  EXPECT_EQ("", RoundTripString("", &written));
  EXPECT_EQ(Bytes({0x00}), written);

  std::string s254(254, 'a');
  EXPECT_EQ(s254, RoundTripString(s254, &written));
  EXPECT_EQ(Bytes({0xFE}), written.substr(0, 1));
  EXPECT_EQ(255u, written.size());

  std::string s255(255, 'b');
  EXPECT_EQ(s255, RoundTripString(s255, &written));
  EXPECT_EQ(Bytes({0xFF, 0xFF, 0x00}), written.substr(0, 3));

  std::string s65533(65533, 'c');
  EXPECT_EQ(s65533, RoundTripString(s65533, &written));
  EXPECT_EQ(Bytes({0xFF, 0xFD, 0xFF}), written.substr(0, 3));
  EXPECT_EQ(65536u, written.size());

  std::string s65534(65534, 'd');
  EXPECT_EQ(s65534, RoundTripString(s65534, &written));
  EXPECT_EQ(Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}), written.substr(0, 7));

  std::string big(200000, 'e');
  big[123456] = '\0';  // bytes are bytes, a zero included
  EXPECT_EQ(big, RoundTripString(big));
}

TEST_F(ArchiveTest, CountFormsAtTheirBoundary) {
  std::ostringstream out;
  ArchiveWriter writer(out);
  writer.WriteCount(65534);
  writer.WriteCount(65535);
  EXPECT_EQ(Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}), out.str());

  std::vector<std::unique_ptr<CPez>> pages;
  for (int i = 0; i < 65535; ++i) pages.push_back(Pez("u" + std::to_string(i), "", i, i));
  std::string bytes = WritePages(pages);
  EXPECT_EQ(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF}), bytes.substr(0, 8));
  auto back = ReadPages(bytes, messages);
  ASSERT_EQ(65535u, back.size());
  EXPECT_EQ("u65534", back.back()->url);
  EXPECT_EQ(65534, back.back()->lastVisited);
}

TEST_F(ArchiveTest, LongFormClassReferencesAreRead) {
  auto pages = ReadPages(Fixture("cache_long_refs.data"), messages);
  ASSERT_EQ(3u, pages.size());
  EXPECT_EQ("http://2.example/", pages[1]->url);
  EXPECT_EQ("three", pages[2]->title);
  EXPECT_EQ(6, pages[2]->lastVisited);
}

TEST_F(ArchiveTest, ClassesAndObjectsShareOneNumbering) {
  // class 1, object 2, class 3 (a second description), object 4, then a reference to class 3.
  std::string head = Bytes({0x03, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x04, 0x00}) + "CPez";
  std::string fields = Bytes({0x01, 'x', 0x00}) + Le32(0) + Le32(1) + Le32(2) + Le32(3);
  std::string second = Bytes({0xFF, 0xFF, 0x02, 0x00, 0x04, 0x00}) + "CPez";
  auto pages = ReadPages(head + fields + second + fields + Bytes({0x03, 0x80}) + fields, messages);
  EXPECT_EQ(3u, pages.size());

  // 0x8002 names object 2, which is no class.
  EXPECT_THROW(ReadPages(head + fields + second + fields + Bytes({0x02, 0x80}) + fields, messages),
               ArchiveError);
}

TEST_F(ArchiveTest, ElementsThatAreNoNewRecordMakeTheFileUnreadable) {
  std::string head = Bytes({0x02, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x04, 0x00}) + "CPez";
  std::string fields = Bytes({0x01, 'x', 0x00}) + Le32(0) + Le32(1) + Le32(2) + Le32(3);
  const std::string cases[] = {
      Bytes({0x00, 0x00}),                     // null element
      Bytes({0x02, 0x00}),                     // second reference to object 2
      Bytes({0xFF, 0x7F}) + Le32(2),           // the same in long form
      Bytes({0xFF, 0x7F}) + Le32(0),           // null in long form
      Bytes({0x05, 0x80}),                     // a class not yet described
      Bytes({0x00, 0x80}),                     // class number 0
      Bytes({0xFF, 0x7F}) + Le32(0x80000009),  // long form of an unknown class
  };
  for (const std::string& second : cases) {
    EXPECT_THROW(ReadPages(head + fields + second + fields, messages), ArchiveError)
        << testing::PrintToString(second);
  }
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(ArchiveTest, ForeignClassNameMakesTheFileUnreadable) {
  std::string topics = Fixture("topics_schema1.data");
  EXPECT_THROW(ReadPages(topics, messages), ArchiveError);
  std::istringstream in(Fixture("cache_two_records.data"));
  EXPECT_THROW(ReadTopicArray(in, 5), ArchiveError);
}

TEST_F(ArchiveTest, EveryCutShortFileIsUnreadable) {
  std::string whole = Fixture("cache_two_records.data");
  for (size_t length = 0; length < whole.size(); ++length) {
    EXPECT_THROW(ReadPages(whole.substr(0, length), messages), ArchiveError) << length;
  }
  EXPECT_THROW(ReadPages(Fixture("cache_truncated.data"), messages), ArchiveError);
}

TEST_F(ArchiveTest, HugeLengthsAndCountsFailAtTheEndOfTheData) {
  // A string claiming 4 GiB and a count claiming 4 billion records, in a few dozen bytes.
  std::string head = Bytes({0x01, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x04, 0x00}) + "CPez";
  EXPECT_THROW(ReadPages(head + Bytes({0xFF, 0xFF, 0xFF}) + Le32(0xFFFFFFFF) + "short", messages),
               ArchiveError);
  std::string fields = Bytes({0x01, 'x', 0x00}) + Le32(0) + Le32(1) + Le32(2) + Le32(3);
  std::string many =
      Bytes({0xFF, 0xFF}) + Le32(0xFFFFFFFF) + head.substr(2) + fields + Bytes({0x01, 0x80}) + fields;
  EXPECT_THROW(ReadPages(many, messages), ArchiveError);
  // 0xFFFE is no length word: 65534 and more take the 32-bit form.
  EXPECT_THROW(ReadPages(head + Bytes({0xFF, 0xFE, 0xFF}) + std::string(65534, 'z'), messages), ArchiveError);
}

TEST_F(ArchiveTest, SchemaOnePageMarksKeepTheirTimesAndHaveNoSize) {
  auto pages = ReadPages(Fixture("cache_schema1.data"), messages);
  ASSERT_EQ(2u, pages.size());
  EXPECT_EQ("http://old.example/", pages[0]->url);
  EXPECT_EQ("Old", pages[0]->title);
  EXPECT_EQ(900000000, pages[0]->firstVisited);
  EXPECT_EQ(900000600, pages[0]->lastVisited);
  EXPECT_EQ(0u, pages[0]->size);
  EXPECT_EQ(7u, pages[1]->reserved);
  EXPECT_EQ(0u, pages[1]->size);
  EXPECT_TRUE(messages.Shown().empty());
  // Written back, they are schema 2.
  std::string again = WritePages(pages);
  EXPECT_EQ(Bytes({0x02, 0x00}), again.substr(4, 2));
}

TEST_F(ArchiveTest, SchemaOneTopicsTakeTheLoadTime) {
  std::istringstream in(Fixture("topics_schema1.data"));
  TopicArray topics = ReadTopicArray(in, 1234567890);
  ASSERT_EQ(2u, topics.size());
  EXPECT_EQ("/home/u/Topics/900000000.data", topics[0]->target);
  EXPECT_EQ("News", topics[0]->name);
  EXPECT_EQ(1u, topics[0]->isFolder);
  EXPECT_EQ("Front page", topics[1]->name);
  EXPECT_EQ(0u, topics[1]->isFolder);
  for (const auto& t : topics) {
    EXPECT_EQ(1234567890, t->firstVisited);
    EXPECT_EQ(1234567890, t->lastVisited);
    EXPECT_EQ(0u, t->size);
  }
}

TEST_F(ArchiveTest, TopicsRoundTripWithTheirStoredTimes) {
  TopicArray topics;
  topics.push_back(std::make_unique<CTopic>(100));
  topics[0]->target = "/t/Topics/1.data";
  topics[0]->name = "Folder";
  topics[0]->isFolder = 1;
  topics.push_back(std::make_unique<CTopic>(200));
  topics[1]->target = "http://x/";
  topics[1]->lastVisited = 300;
  topics[1]->size = 77;
  std::ostringstream out;
  WriteTopicArray(out, topics);
  EXPECT_EQ(Bytes({0x02, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x06, 0x00}) + "CTopic", out.str().substr(0, 14));

  std::istringstream in(out.str());
  TopicArray back = ReadTopicArray(in, 999);
  ASSERT_EQ(2u, back.size());
  EXPECT_EQ("/t/Topics/1.data", back[0]->target);
  EXPECT_EQ(1u, back[0]->isFolder);
  EXPECT_EQ(100, back[0]->firstVisited);
  EXPECT_EQ(200, back[1]->firstVisited);
  EXPECT_EQ(300, back[1]->lastVisited);
  EXPECT_EQ(77u, back[1]->size);
}

TEST_F(ArchiveTest, UnknownSchemaStopsTheReadingWithItsOwnError) {
  try {
    ReadPages(Fixture("cache_unknown_schema.data"), messages);
    ADD_FAILURE() << "no error";
  } catch (const UnknownSchemaError& e) {
    EXPECT_STREQ(kUnknownPezSchema, e.what());
  }
  std::string topic =
      Bytes({0x02, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x06, 0x00}) + "CTopic" + Bytes({0x01, 0x80});
  std::istringstream in(topic);
  EXPECT_THROW(ReadTopicArray(in, 4242), UnknownSchemaError);
}

TEST_F(ArchiveTest, WriterReportsAStreamThatFails) {
  std::vector<std::unique_ptr<CPez>> pages;
  pages.push_back(Pez("http://a.b/", "T", 1, 2));
  size_t whole = WritePages(pages).size();
  for (size_t limit : {size_t{0}, size_t{1}, size_t{9}, whole - 1}) {
    FailingBuf buf(limit);
    std::ostream out(&buf);
    EXPECT_THROW(WritePezArray(out, Copies(pages)), ArchiveError) << limit;
  }
  FailingBuf enough(whole);
  std::ostream out(&enough);
  EXPECT_NO_THROW(WritePezArray(out, Copies(pages)));
  EXPECT_EQ(whole, enough.Written());
}

}  // namespace
