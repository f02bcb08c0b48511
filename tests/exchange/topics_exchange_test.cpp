#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "exchange/topics_export.h"
#include "exchange/topics_import.h"
#include "store/failing_stream.h"
#include "support/data_fixture.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

// A generator that always gives the same number, so that every imported folder asks for one name.
class SameRandom : public RandomSource {
 public:
  uint32_t Next() override { return 4; }
};

// A clock one second further on at every reading.
class TickingClock : public Clock {
 public:
  Time32 Now() const override { return now_++; }

 private:
  mutable Time32 now_ = 100;
};

class ResetCounter : public TopicsListener {
 public:
  void OnTopicsReset() override { log.push_back("reset"); }
  void OnTopicInserted(const CTopic&) override { log.push_back("inserted"); }
  Strings log;
};

std::unique_ptr<CTopic> Node(const std::string& name, const std::string& target, bool folder = false) {
  auto node = std::make_unique<CTopic>(0);
  node->name = name;
  node->target = target;
  node->isFolder = folder ? 1 : 0;
  if (folder) node->children = std::make_unique<TopicArray>();
  return node;
}

CTopic& Add(CTopic& folder, std::unique_ptr<CTopic> node) {
  node->parent = &folder;
  return *folder.children->emplace_back(std::move(node));
}

// The tree in stored order, one line per node with its first and last visit.
void DatedOutline(const CTopic& folder, Strings& out) {
  for (const auto& node : *folder.children) {
    out.push_back((node->isFolder ? "[" + node->name + "]" : node->name + " <" + node->target + ">") + " " +
                  std::to_string(node->firstVisited) + "/" + std::to_string(node->lastVisited));
    if (node->isFolder && node->children) DatedOutline(*node, out);
  }
}

// The tree in stored order, one line per node, indented by depth.
void Outline(const CTopic& folder, Strings& out, const std::string& indent = "") {
  for (const auto& node : *folder.children) {
    out.push_back(indent +
                  (node->isFolder ? "[" + node->name + "]" : node->name + " <" + node->target + ">"));
    if (node->isFolder && node->children) Outline(*node, out, indent + "  ");
  }
}

class TopicsExchangeTest : public DataFixture {
 protected:
  TopicsExchangeTest() : DataFixture("hopwise-exchange") {}

  TopicsImportResult Import(const std::string& text, ReadOptions options = {}) {
    std::istringstream in(text);
    return ImportBookmarks(in, model, random, options);
  }
  TopicsImportResult ImportFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ImportBookmarks(in, model, random);
  }
  void DeleteAll() {
    while (!model.Root().children->empty()) model.Delete(*model.Root().children->front());
  }
  // What the Topics files hold, with the visit times.
  Strings Stored() {
    model.Reload();
    Strings out;
    DatedOutline(model.Root(), out);
    return out;
  }
  Strings Shown() {
    Strings out;
    Outline(model.Root(), out);
    return out;
  }

  TopicsModel& model = topics;
  SameRandom random;
  ResetCounter notices;
};

ReadOptions Cancelling() {
  ReadOptions options;
  options.progress = [](uint64_t, uint64_t) { return false; };
  return options;
}

const std::string kHead = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";

TEST_F(TopicsExchangeTest, ImportAddsTheFileAheadOfWhatWasStoredInOneBatch) {
  model.AppendTopLevelLink("old", "http://old/");
  auto subscription = model.Subscribe(notices);
  TopicsImportResult result = Import(kHead +
                                     "<DT><A HREF=\"http://a/\">A</A>\n<DT><H3>F</H3>\n<DL><p>\n"
                                     "<DT><A HREF=\"http://c/\">C</A>\n</DL><p>\n<DT><H3>G</H3>\n<DL></DL>\n"
                                     "<DT><A HREF=\"http://b/\">B</A>\n</DL><p>\n");
  EXPECT_EQ(3u, result.linksAdded);
  EXPECT_EQ(2u, result.foldersAdded);
  EXPECT_EQ("Imported 3 links and 2 folders.", DescribeImport(result));
  EXPECT_EQ(Strings{"reset"}, notices.log);
  const Strings stored{"B <http://b/>",   "[G]",           "[F]",
                       "  C <http://c/>", "A <http://a/>", "old <http://old/>"};
  EXPECT_EQ(stored, Shown());

  // Both folders were named in one second from the same random numbers: the import form, stepped on
  // for the second folder made (folders are made from the last to the first).
  const TopicArray& top = *model.Root().children;
  EXPECT_EQ(paths.branchPath + "100000000025.data", top[1]->target);
  EXPECT_EQ(paths.branchPath + "100000000026.data", top[2]->target);
  model.Reload();
  EXPECT_EQ(stored, Shown()) << "every branch file was written";
}

TEST_F(TopicsExchangeTest, ImportAddsNothingUnlessTheFileWasReadToItsEnd) {
  model.AppendTopLevelLink("old", "http://old/");
  auto subscription = model.Subscribe(notices);
  const std::string text = kHead + "<DT><A HREF=\"http://a/\">A</A>\n<DT><H3>F</H3>\n<DL><p>\n";
  TopicsImportResult cancelled = Import(text, Cancelling());
  EXPECT_EQ("The import was cancelled. Nothing was imported.", DescribeImport(cancelled));
  Import(text + std::string(kMaxBookmarkLine + 1, ' '));
  Import("<DL><p>\n<DT><A HREF=\"http://a/\">A</A>\n");
  EXPECT_TRUE(notices.log.empty());
  EXPECT_EQ(Strings{"old <http://old/>"}, Shown());
  EXPECT_EQ(0, std::distance(fs::directory_iterator(dir + "/Topics"), fs::directory_iterator()));

  // A file cut short gives what came before the cut, folders included.
  TopicsImportResult cut = Import(text);
  EXPECT_TRUE(cut.read.truncated);
  EXPECT_EQ((Strings{"[F]", "A <http://a/>", "old <http://old/>"}), Shown());
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

Strings Listing(const std::string& folder) {
  Strings names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A disk that fills while the import writes its files: whichever file fails (a new branch file,
// topics.data last), topics.data and the Topics folder are as they were and nothing is added.
TEST_F(TopicsExchangeTest, AnImportThatCannotWriteEveryFileAddsNothing) {
  model.AppendTopLevelLink("old", "http://old/");
  const std::string before = Bytes(paths.topicsPath);
  const std::string text = kHead +
                           "<DT><H3>F</H3>\n<DL><p>\n<DT><H3>G</H3>\n<DL><p>\n"
                           "<DT><A HREF=\"http://g/\">in G</A>\n</DL><p>\n</DL><p>\n"
                           "<DT><A HREF=\"http://a/\">A</A>\n</DL><p>\n";
  for (int failing = 1; failing <= 3; ++failing) {
    int opened = 0;
    OutputOpener fillsUp = [&](const std::string& temp) -> std::unique_ptr<std::ostream> {
      if (++opened == failing) return std::make_unique<FailingFileStream>(temp, 10);
      return OpenFileOutput(temp);
    };
    RecordingMessageBoxes told;
    DataFiles full(told, clock, fillsUp);
    TopicsModel onFullDisk(full, clock, paths);
    std::istringstream in(text);
    const TopicsImportResult result = ImportBookmarks(in, onFullDisk, random);
    EXPECT_EQ(std::max(failing, 2), opened) << "topics.data is written only after both branch files";
    EXPECT_FALSE(result.written);
    EXPECT_EQ("The Topics files could not all be written; nothing was imported.", DescribeImport(result));
    EXPECT_EQ(1u, told.Shown().size());
    EXPECT_EQ(1u, onFullDisk.Root().children->size());
    EXPECT_EQ(before, Bytes(paths.topicsPath));
    EXPECT_EQ(Strings{}, Listing(dir + "/Topics")) << failing;
  }
  const TopicsImportResult again = Import(text);
  EXPECT_TRUE(again.written);
  model.Reload();
  EXPECT_EQ((Strings{"A <http://a/>", "[F]", "  [G]", "    in G <http://g/>", "old <http://old/>"}), Shown());
}

TEST_F(TopicsExchangeTest, ImportKeepsFoldersAsDeepAsTheTopicsAreRead) {
  const int depth = 70;
  std::string text = kHead;
  for (int i = 0; i < depth; ++i)
    text += "<DT><H3>f</H3>\n<DL><p>\n<DT><A HREF=\"u\">l" + std::to_string(i) + "</A>\n";
  for (int i = 0; i < depth; ++i) text += "</DL><p>\n";
  TopicsImportResult result = Import(text);
  EXPECT_EQ(std::size_t(depth) - TopicsModel::kMaxFolderDepth, result.foldersFlattened);

  model.Reload();
  const CTopic* folder = &model.Root();
  std::size_t levels = 0;
  for (const CTopic* sub = folder; sub; ++levels) {
    folder = sub;
    sub = nullptr;
    for (const auto& child : *folder->children)
      if (child->isFolder) sub = child.get();
  }
  --levels;
  EXPECT_EQ(TopicsModel::kMaxFolderDepth, levels);
  Strings deepest;
  Outline(*folder, deepest);
  EXPECT_EQ((Strings{"l69 <u>", "l68 <u>", "l67 <u>", "l66 <u>", "l65 <u>", "l64 <u>", "l63 <u>", "l62 <u>"}),
            deepest);
}

TEST_F(TopicsExchangeTest, ExportWritesFoldersLastChildFirstWithTheirOwnTimes) {
  CTopic root(0);
  root.children = std::make_unique<TopicArray>();
  std::ostringstream empty;
  TickingClock clock1;
  ASSERT_TRUE(ExportTopics(empty, root, clock1));
  const std::string header =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<!-- Hopwise Generated Bookmark file -->\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
      "<TITLE>Hopwise Exported Topics</TITLE>\n<H1>Hopwise Exported Topics</H1>\n\n<DL><p>\n";
  EXPECT_EQ(header + "</DL><p>\n", empty.str());

  CTopic& dated = Add(root, Node("A", "http://a/"));
  dated.firstVisited = 5;
  dated.lastVisited = 7;
  CTopic& folder = Add(root, Node("F & <G>", "/x/1.data", true));
  folder.firstVisited = 3;
  folder.lastVisited = 4;
  Add(folder, Node("C \"q\"", "http://c/"));
  Add(folder, Node("D", "http://d/?a=1&b=\"2\""));
  Add(root, Node("Unread", "/x/2.data", true)).children.reset();
  std::ostringstream out;
  TickingClock clock2;
  ASSERT_TRUE(ExportTopics(out, root, clock2));
  EXPECT_EQ(
      header +
          "    <DT><H3 FOLDED ADD_DATE=\"100\" LAST_MODIFIED=\"100\">Unread</H3>\n    <DL><p>\n    </DL><p>\n"
          "    <DT><H3 FOLDED ADD_DATE=\"3\" LAST_MODIFIED=\"4\">F &amp; &lt;G&gt;</H3>\n    <DL><p>\n"
          "        <DT><A HREF=\"http://d/?a=1&amp;b=&quot;2&quot;\" ADD_DATE=\"102\" LAST_VISITED=\"102\" "
          "LAST_MODIFIED=\"102\">D</A>\n"
          "        <DT><A HREF=\"http://c/\" ADD_DATE=\"102\" LAST_VISITED=\"102\" "
          "LAST_MODIFIED=\"102\">C &quot;q&quot;</A>\n"
          "    </DL><p>\n"
          "    <DT><A HREF=\"http://a/\" ADD_DATE=\"5\" LAST_VISITED=\"7\" LAST_MODIFIED=\"7\">A</A>\n"
          "</DL><p>\n",
      out.str());

  FailingBuf full(300);
  std::ostream failing(&full);
  EXPECT_FALSE(ExportTopics(failing, root, clock2));
  std::string why;
  EXPECT_FALSE(ExportTopicsToFile(dir + "/missing/out.html", root, clock2, &why));
  EXPECT_FALSE(why.empty());

  // An export cut short by a full disk leaves the earlier export whole.
  const std::string file = dir + "/out.html";
  std::ofstream(file, std::ios::binary) << "earlier export";
  auto fullDisk = [](const std::string& temp) { return std::make_unique<FailingFileStream>(temp, 300); };
  EXPECT_FALSE(ExportTopicsToFile(file, root, clock2, &why, fullDisk));
  EXPECT_EQ("No space left on device", why);
  std::ifstream kept(file, std::ios::binary);
  EXPECT_EQ("earlier export", std::string(std::istreambuf_iterator<char>(kept), {}));
  EXPECT_EQ(2, std::distance(fs::directory_iterator(dir), fs::directory_iterator())) << "Topics, out.html";
}

TEST_F(TopicsExchangeTest, ExportThenImportGivesBackTheSameTree) {
  const CTopic& root = model.Root();
  const CTopic* f = model.NewFolder(root, 0, " Spaced  & \"quoted\" <tag> &amp; &#39; ");
  model.NewLink(*f, 0, "line\nbreak\r\nand\ttab", "http://x/?a=1&b=<2>&c=\"3\"#'4'");
  model.NewLink(*f, 1, "", "");
  const CTopic* g = model.NewFolder(*f, 2, "日本語 😀 café");
  model.NewFolder(*g, 0, "empty");
  model.NewLink(*g, 0, "javascript", "javascript:void(document.title='&lt;')");
  model.NewLink(root, 0, "caf\xE9 \x93legacy\x94", "http://old.example/caf\xE9");
  model.NewLink(root, 0, "&nbsp;&#10;", "data:text/html,<p>&amp;</p>");
  Strings before = Shown();

  const std::string file = dir + "/export.html";
  std::string why;
  ASSERT_TRUE(ExportTopicsToFile(file, root, clock, &why)) << why;
  DeleteAll();
  ASSERT_EQ(ReadStatus::Ok, ImportFile(file).read.status);

  // Text that was no UTF-8 comes back as UTF-8 (read as code page 1252); the rest byte for byte.
  before[1] = "café “legacy” <http://old.example/café>";
  EXPECT_EQ(before, Shown());
}

TEST_F(TopicsExchangeTest, BrowserExportsKeepTheirDatesAndTheLinksAfterTheirListThroughARoundTrip) {
  const std::string exported = dir + "/export.html";
  for (const std::string name : {"chromium_style.html", "firefox_style.html"}) {
    SCOPED_TRACE(name);
    DeleteAll();
    ASSERT_EQ(ReadStatus::Ok, ImportFile(std::string(HOPWISE_TEST_DATA) + "/bookmarks/" + name).read.status);
    const Strings imported = Stored();
    clock.Advance(1000);
    ASSERT_TRUE(ExportTopicsToFile(exported, model.Root(), clock));
    DeleteAll();
    ASSERT_EQ(ReadStatus::Ok, ImportFile(exported).read.status);
    EXPECT_EQ(imported, Stored());
    if (name != "chromium_style.html") continue;
    EXPECT_EQ("Second after it <https://after.example.com/two> 1699991200/1699991200", imported.front());
    EXPECT_EQ("After the list <https://after.example.com/one> 1699991100/1699991100", imported[1]);
    for (const char* dated : {"[Bookmarks bar] 1699990000/1700001234", "[Empty one] 1699990600/1699990600"})
      EXPECT_NE(imported.end(), std::ranges::find(imported, dated)) << dated;
  }
}

TEST_F(TopicsExchangeTest, ImportTellsWhatItSkippedAndDatesWhatHasNoDate) {
  TopicsImportResult result = Import(kHead +
                                     "<DT><A NAME=\"n\">no</A>\n<DT><A>none</A>\n<DT><HR>\n<DT>\n"
                                     "<DT><A HREF=\"http://a/\">A</A>\n</DL><p>\n<DT><H3>F</H3>\n");
  EXPECT_EQ(
      "Imported 1 link and 1 folder. Skipped 3 entries: 2 anchors without an address (HREF) and 1 entry "
      "that is neither a link nor a folder.",
      DescribeImport(result));
  EXPECT_EQ((Strings{"[F] 1000000000/1000000000", "A <http://a/> 1000000000/1000000000"}), Stored());
}

}  // namespace
