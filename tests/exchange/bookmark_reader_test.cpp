#include "exchange/bookmark_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "exchange/bookmark_collector.h"
#include "exchange/outline_sink.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kHead = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n";

ReadOptions Anyway() {
  ReadOptions options;
  options.loadAnyway = true;
  return options;
}

ReadOptions Progress(ReadProgress progress) {
  ReadOptions options;
  options.progress = std::move(progress);
  return options;
}

struct Read {
  ReadResult result;
  Lines outline;
  std::vector<BookmarkDates> dates;
};

Read ReadText(const std::string& text, ReadOptions options = {}) {
  std::istringstream in(text);
  OutlineSink sink;
  ReadResult result = ReadBookmarks(in, sink, options);
  return {result, sink.lines, sink.dates};
}

Read ReadFixture(const std::string& name) {
  std::ifstream in(std::string(HOPWISE_TEST_DATA) + "/bookmarks/" + name, std::ios::binary);
  OutlineSink sink;
  ReadResult result = ReadBookmarks(in, sink);
  return {result, sink.lines, sink.dates};
}

// A stream buffer that hands out text and then fails, as a disk read error does.
class FailingReadBuf : public std::streambuf {
 public:
  explicit FailingReadBuf(std::string text) : text_(std::move(text)) {
    setg(text_.data(), text_.data(), text_.data() + text_.size());
  }

 protected:
  int_type underflow() override { throw std::ios_base::failure("read error"); }

 private:
  std::string text_;
};

TEST(BookmarkReaderTest, ReadsFoldersAndLinksByTheirLines) {
  // Two links and a folder holding one link, at top level.
  Read basic = ReadText(
      kHead +
      "<DL><p>\n  <DT><A HREF=\"http://a/\">A</A>\n  <DT><H3 FOLDED>F</H3>\n  <DL><p>\n"
      "    <DT><A HREF=\"http://c/\">C</A>\n  </DL><p>\n  <DT><A HREF=\"http://b/\">B</A>\n</DL><p>\n");
  EXPECT_EQ((Lines{"A <http://a/>", "[F", "C <http://c/>", "]", "B <http://b/>"}), basic.outline);
  EXPECT_EQ(ReadStatus::Ok, basic.result.status);
  EXPECT_FALSE(basic.result.truncated);
  EXPECT_EQ(3u, basic.result.links);
  EXPECT_EQ(1u, basic.result.folders);

  // Tags in any case, a list closed without "<p>", text cut at its first '<', a heading with a
  // description before its list, a heading with no list (an empty folder), a list without a
  // heading (its entries stay in the folder around it), entries outside every list (read at top
  // level), a second top-level list, entries on the line of a list tag, closing tags too many.
  Read mixed = ReadText(
      kHead +
      "<dl>\n<dt><a href=\"http://x/\" >x < y</a>\n<DT><H3>Described</H3>\n<DD>words\n\n<DL><p>\n"
      "<DT><A HREF=\"http://in/\">in</A>\n</DL>\n<DT><H3>Bare</H3>\n<DT><A HREF=\"http://z/\">z</A>\n"
      "<DL>\n<DT><A HREF=\"http://sub/\">sub</A>\n</DL>\n<DT><A HREF=\"http://z2/\">z2</A>\n</DL>\n"
      "<DT><A HREF=\"http://out/\">out</A>\n<DL><DT><A HREF=\"http://second/\">second</A>\n"
      "<DT><A HREF=\"http://second/\">again</A>\n</DL>\n</DL>\n<DT><H3>Late</H3><DL><p>\n"
      "<DT><A HREF=\"http://late/\">late</A></DL></DL>\n");
  EXPECT_EQ((Lines{"x  <http://x/>", "[Described", "in <http://in/>", "]", "[Bare", "]", "z <http://z/>",
                   "sub <http://sub/>", "z2 <http://z2/>", "out <http://out/>", "second <http://second/>",
                   "again <http://second/>", "[Late", "late <http://late/>", "]"}),
            mixed.outline);
  EXPECT_FALSE(mixed.result.truncated);
}

TEST(BookmarkReaderTest, DecodesTextAndKeepsAttributesApart) {
  Read read = ReadText(
      kHead +
      "<DL><p>\n<DT><A ICON=\"data:x>y\" HREF=\"http://h/?a=1&amp;b=&quot;2&quot;&#39;&#x41;&#66;\" "
      "TAGS='HREF=\"no\"'>&lt;b&gt; &amp;amp; caf&#233;&nbsp;&#x1F600; &bogus; &#0; &#xD800; AT&T</A>\n"
      "<DT><A HREF=\"http://\xE9t\xE9/\">\x93quoted\x94 \xC3\xA9</A>\n</DL>\n");
  EXPECT_EQ(
      (Lines{"<b> &amp; caf\u00e9\u00a0\U0001F600 &bogus; &#0; &#xD800; AT&T <http://h/?a=1&b=\"2\"'AB>",
             // Bytes that are no UTF-8 are read as code page 1252; UTF-8 stays as it is.
             "\u201cquoted\u201d \u00e9 <http://\u00e9t\u00e9/>"}),
      read.outline);
}

TEST(BookmarkReaderTest, ReadsTheDatesOfLinksAndFolders) {
  Read read = ReadText(
      kHead +
      "<DL>\n<DT><H3 add_date=\"10\" last_modified=\"20\">F</H3><DL>\n"
      "<DT><A HREF=\"u\" ADD_DATE=\"30\" LAST_VISIT=\"40\" LAST_VISITED=\"41\" LAST_MODIFIED=\"50\">a</A>\n"
      "<DT><A HREF=\"u\" LAST_VISITED=\"2147483647\">b</A></DL>\n"
      "<DT><A HREF=\"u\" ADD_DATE=\"\" LAST_VISIT=\"0\" LAST_MODIFIED=\"-5\">c</A>\n"
      "<DT><A HREF=\"u\" ADD_DATE=\"2147483648\" LAST_VISIT=\"1 2\" LAST_MODIFIED=\"17e8\">d</A>\n");
  EXPECT_EQ((std::vector<BookmarkDates>{{10, 0, 20}, {30, 40, 50}, {0, 2147483647, 0}, {}, {}}), read.dates);

  // The visit times of the Topic made from each.
  EXPECT_EQ((TopicTimes{10, 20}), ImportedTimes({10, 0, 20}, true, 99));
  EXPECT_EQ((TopicTimes{20, 20}), ImportedTimes({0, 0, 20}, true, 99));
  EXPECT_EQ((TopicTimes{30, 40}), ImportedTimes({30, 40, 50}, false, 99));
  EXPECT_EQ((TopicTimes{30, 30}), ImportedTimes({30, 0, 50}, false, 99)) << "a change is no visit";
  EXPECT_EQ((TopicTimes{40, 40}), ImportedTimes({0, 40, 0}, false, 99));
  EXPECT_EQ((TopicTimes{99, 99}), ImportedTimes({0, 0, 50}, false, 99));
}

TEST(BookmarkReaderTest, ReadsWholeLinesAndRefusesOverlongOnes) {
  const std::string icon(20 * 1024, 'Q');
  const std::string big = std::string(kMaxBookmarkLine - 40, 'x');
  Read read =
      ReadText(kHead + "<DL>\r\n<DT><A HREF=\"http://i/\" ICON=\"data:" + icon +
               "\">I</A>\r<DT><A HREF=\"http://" + big + "\">J</A>\r\n<DT><A HREF=\"http://k/\">K</A>");
  ASSERT_EQ(3u, read.outline.size());
  EXPECT_EQ("I <http://i/>", read.outline[0]);
  EXPECT_EQ("K <http://k/>", read.outline[2]);
  EXPECT_TRUE(read.result.truncated);

  Read tooLong = ReadText(kHead + "<DL>\n<DT><A HREF=\"http://a/\">A</A>\n" +
                          std::string(kMaxBookmarkLine + 1, 'x') + "\n<DT><A HREF=\"http://b/\">B</A>\n");
  EXPECT_EQ(ReadStatus::LineTooLong, tooLong.result.status);
  EXPECT_EQ(5u, tooLong.result.line);
  EXPECT_EQ(Lines{"A <http://a/>"}, tooLong.outline) << "nothing after the long line is read";
  // An entry that never ends, over many lines, is held to the same bound.
  std::string endless = kHead + "<DL>\n<DT><A HREF=\"http://a/\n";
  for (int i = 0; i < 17; ++i) endless += std::string(1 << 20, 'y') + "\n";
  EXPECT_EQ(ReadStatus::LineTooLong, ReadText(endless).result.status);
  // An entry whose quote never closes is given up after a few lines, however many lines follow.
  std::string unclosed = kHead + "<DL>\n<DT><A HREF=\"http://a/\n";
  for (int i = 0; i < 200000; ++i) unclosed += "text\n";
  EXPECT_EQ(Lines{"B <http://b/>"}, ReadText(unclosed + "<DT><A HREF=\"http://b/\">B</A>\n").outline);
}

TEST(BookmarkReaderTest, AFileWithoutTheFormatLineIsReadOnlyOnRequest) {
  const std::string noHead = "<DL><p>\n<DT><A HREF=\"http://a/\">A</A>\n</DL>\n";
  Read refused = ReadText(noHead);
  EXPECT_EQ(ReadStatus::NotBookmarkFile, refused.result.status);
  EXPECT_TRUE(refused.outline.empty());
  EXPECT_EQ(Lines{"A <http://a/>"}, ReadText(noHead, Anyway()).outline) << "its first line is read too";
  EXPECT_EQ(ReadStatus::NotBookmarkFile, ReadText("").result.status);
  EXPECT_EQ(ReadStatus::Ok, ReadText("", Anyway()).result.status);
  EXPECT_EQ(Lines{"A <http://a/>"},
            ReadText("\xEF\xBB\xBF<!doctype netscape-bookmark-file-1>\n" + noHead).outline);

  std::mt19937 random(1);
  std::string binary(1 << 20, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  EXPECT_EQ(ReadStatus::NotBookmarkFile, ReadText(binary).result.status);
  EXPECT_EQ(ReadStatus::Ok, ReadText(binary, Anyway()).result.status);
}

TEST(BookmarkReaderTest, StopsOnAFailingStreamAndWhenCancelled) {
  FailingReadBuf buf(kHead + "<DL>\n<DT><A HREF=\"http://a/\">A</A>\n<DT><A HREF=\"http://b/\">B");
  std::istream in(&buf);
  OutlineSink sink;
  EXPECT_EQ(ReadStatus::ReadFailed, ReadBookmarks(in, sink).status);

  std::string many = kHead + "<DL>\n";
  for (int i = 0; i < 20000; ++i) many += "<DT><A HREF=\"http://x/" + std::to_string(i) + "\">x</A>\n";
  std::vector<std::pair<uint64_t, uint64_t>> seen;
  Read all = ReadText(many, Progress([&](uint64_t done, uint64_t total) {
                        seen.emplace_back(done, total);
                        return true;
                      }));
  ASSERT_GT(seen.size(), 3u);
  EXPECT_EQ(std::make_pair(uint64_t{many.size()}, uint64_t{many.size()}), seen.back());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  Read cancelled = ReadText(many, Progress([](uint64_t done, uint64_t) { return done < 100000; }));
  EXPECT_EQ(ReadStatus::Cancelled, cancelled.result.status);
  EXPECT_LT(cancelled.outline.size(), 20000u);
}

TEST(BookmarkReaderTest, NestingOfAnyDepthIsReadWithoutRecursion) {
  const int depth = 200000;
  std::string text = kHead + "<DL>\n";
  for (int i = 0; i < depth; ++i)
    text += "<DT><H3>f" + std::to_string(i) + "</H3>\n<DL><p>\n<DT><A HREF=\"u\">l</A>\n";
  for (int i = 0; i < depth; ++i) text += "</DL><p>\n";
  std::istringstream in(text + "</DL>\n");
  BookmarkCollector tree(3);
  ReadResult result = ReadBookmarks(in, tree);
  EXPECT_EQ(std::size_t(depth), result.folders);
  EXPECT_EQ(3u, tree.Folders());
  EXPECT_EQ(std::size_t(depth) - 3, tree.FlattenedFolders());
  const BookmarkNode& third = tree.TopLevel()[0].children[1].children[1];
  EXPECT_EQ("f2", third.name);
  EXPECT_EQ(std::size_t(depth) - 2, third.children.size())
      << "the links of deeper folders go to the deepest kept";
}

TEST(BookmarkReaderTest, ReadsBrowserExportsAndHandWrittenFiles) {
  Read chromium = ReadFixture("chromium_style.html");
  EXPECT_EQ(ReadStatus::Ok, chromium.result.status);
  EXPECT_EQ((Lines{"[Bookmarks bar", "Morning News <https://news.example.org/>", "[Recipes & Cooking",
                   "Pie <search> <https://food.example.com/search?q=pie&sort=new>",
                   "Crème brûlée – “best” 'recipe' <https://food.example.com/cr%C3%A8me>", "]", "[Empty one",
                   "]", "]", "日本語のガイド <https://docs.example.net/guide>", "[Other bookmarks",
                   "Old \"classic\" site <http://old.example.com/>", "]",
                   "After the list <https://after.example.com/one>",
                   "Second after it <https://after.example.com/two>"}),
            chromium.outline);
  EXPECT_EQ((BookmarkDates{1699990000, 0, 1700001234}), chromium.dates.front());
  EXPECT_EQ((BookmarkDates{1699991200, 0, 0}), chromium.dates.back());

  Read firefox = ReadFixture("firefox_style.html");
  EXPECT_EQ((Lines{"Start page <https://start.example.org/>", "[Bookmarks Toolbar",
                   "Mail & calendar <https://mail.example.com/?tab=inbox&view=all>",
                   "Most Visited <place:sort=8&maxResults=10>",
                   "Café — history\u00a0notes <https://wiki.example.org/Caf%C3%A9>", "]", "[Other Bookmarks",
                   "[Mozilla Firefox", "Get Help <https://help.example.org/firefox>", "]",
                   "Item #7 <https://shop.example.com/item?id=7>", "]"}),
            firefox.outline);
  EXPECT_EQ((BookmarkDates{1690000000, 0, 1690000001}), firefox.dates.front());
  EXPECT_FALSE(firefox.result.truncated);

  Read messy = ReadFixture("messy.html");
  EXPECT_EQ((Lines{"Single quoted <http://single.example/>",
                   "Mixed &copy; Case <http://mixed.example/Path?A=1&B=2>",
                   "Split over two lines <http://split.example/>", "Bookmarklet <javascript:alert('hi')>",
                   "[Heading without a list", "]", "[Lower folder", "Bare value <bare.example/page>",
                   "café in Latin-1 <http://café.example/>", "]", "Last  <http://last.example/>",
                   "After the list <http://after.example/>"}),
            messy.outline);
  EXPECT_EQ(2u, messy.result.noAddress);
  EXPECT_EQ(1u, messy.result.unknown) << "<DT><HR> counts, a bare <DT> does not";
  EXPECT_EQ((BookmarkDates{0, 1500000100, 0}), messy.dates[3]) << "a date in milliseconds is none";

  Read cut = ReadFixture("truncated.html");
  EXPECT_EQ(ReadStatus::Ok, cut.result.status);
  EXPECT_TRUE(cut.result.truncated);
  EXPECT_EQ((Lines{"[Bookmarks bar", "Morning News <https://news.example.org/>", "[Recipes & Cooking",
                   "Pie <search> <https://food.example.com/search?q=pie&sort=new>", "]", "]"}),
            cut.outline);
  EXPECT_EQ(ReadStatus::NotBookmarkFile, ReadFixture("empty.html").result.status);
}

}  // namespace
