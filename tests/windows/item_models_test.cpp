// The item models of the PageMarks and Sites windows over a changing store, checked throughout by
// Qt's model tester.
#include <QAbstractItemModelTester>
#include <QIcon>

#include "windows/page_mark_table_model.h"
#include "windows/site_tree_model.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

class SiteTreeModelTest : public WindowsFixture {
 protected:
  SiteTreeModel model{store};
  QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

  std::string Outline() const { return SiteOutline(model); }
  QPersistentModelIndex Held(const std::string& url) { return model.IndexOf(*store.FindPageMarkByUrl(url)); }
};

TEST_F(SiteTreeModelTest, VisitsAndRemovalsTakeTheirRowsAndHeldIndexesFollow) {
  Visit("http://b.com/1", "b1");
  Visit("http://b.com/2", "b2");
  Visit("http://a.com/1", "a1");
  EXPECT_EQ("a.com (1): a1 | b.com (2): b2, b1", Outline());
  const QPersistentModelIndex b1 = Held("http://b.com/1");
  Visit("http://b.com/1", "b1 again");  // a revisit: to the top of its Site
  EXPECT_EQ("a.com (1): a1 | b.com (2): b1 again, b2", Outline());
  EXPECT_EQ(0, b1.row());
  EXPECT_EQ(store.FindPageMarkByUrl("http://b.com/1"), model.PageAt(b1));
  EXPECT_EQ("b.com", model.SiteAt(b1.parent())->key);

  prefs.maxPageMarks = 3;
  Visit("http://c.com/1", "c1");  // over the limit: b2, the oldest, goes
  EXPECT_EQ("a.com (1): a1 | b.com (1): b1 again | c.com (1): c1", Outline());
  store.DeletePageMark(store.FindPageMarkByUrl("http://a.com/1"));
  EXPECT_EQ("b.com (1): b1 again | c.com (1): c1", Outline());
  EXPECT_EQ(0, b1.parent().row());
  store.DeletePageMark(store.FindPageMarkByUrl("http://b.com/1"));
  EXPECT_FALSE(b1.isValid());
}

TEST_F(SiteTreeModelTest, AVerdictShowsOnItsPageMarkUntilTheStoreIsReset) {
  const CPez& checked = Visit("http://a.com/1", "a1");
  Visit("http://a.com/2", "a2");
  const auto picture = [&](const std::string& url) {
    return model.IndexOf(*store.FindPageMarkByUrl(url)).data(Qt::DecorationRole).value<QIcon>().cacheKey();
  };
  model.SetVerdict(checked, Verdict::kUpdated);
  EXPECT_NE(picture("http://a.com/2"), picture("http://a.com/1"));
  store.RegroupSites();
  EXPECT_EQ(picture("http://a.com/2"), picture("http://a.com/1"));
}

TEST_F(SiteTreeModelTest, EditsBetweenSitesAndResetsKeepTheTreeWhole) {
  Visit("http://a.com/1", "a1");
  Visit("http://a.com/2", "a2");
  Visit("http://c.com/1", "c1");
  const QPersistentModelIndex a1 = Held("http://a.com/1");
  store.EditPageMark(store.FindPageMarkByUrl("http://a.com/1"), "moved",
                     "http://c.com/2");  // both Sites stay
  EXPECT_EQ("a.com (1): a2 | c.com (2): moved, c1", Outline());
  EXPECT_EQ(1, a1.parent().row());
  store.EditPageMark(store.FindPageMarkByUrl("http://a.com/2"), "new Site",
                     "http://b.com/1");  // one comes, one goes
  EXPECT_EQ("b.com (1): new Site | c.com (2): moved, c1", Outline());
  store.EditPageMark(store.FindPageMarkByUrl("http://c.com/1"), "retitled", "http://c.com/1");
  EXPECT_EQ("b.com (1): new Site | c.com (2): moved, retitled", Outline());

  prefs.simpleSites = !prefs.simpleSites;
  store.RegroupSites();
  EXPECT_EQ(3, [&] {
    int pages = 0;
    for (int i = 0; i < model.rowCount(); ++i) pages += model.rowCount(model.index(i, 0));
    return pages;
  }());
  store.ClearStore();
  EXPECT_EQ("", Outline());
}

class PageMarkTableModelTest : public WindowsFixture {
 protected:
  PageMarkTableModel model{store};
  QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

  std::string Titles() const {
    std::string text;
    for (int row = 0; row < model.rowCount(); ++row)
      text += (row ? ", " : "") + model.index(row, kTitleColumn).data().toString().toStdString();
    return text;
  }
};

TEST_F(PageMarkTableModelTest, RowsFollowTheStoreUnderSortAndFilter) {
  Visit("http://h/b", "Bravo");
  Visit("http://h/a", "alpha");
  Visit("http://h/c", "Charlie");
  EXPECT_EQ("Charlie, alpha, Bravo", Titles());
  model.Sort(kTitleColumn, true);
  EXPECT_EQ("alpha, Bravo, Charlie", Titles());
  model.SetFilter("A");
  EXPECT_EQ("alpha, Bravo, Charlie", Titles());
  model.SetFilter("r");
  EXPECT_EQ("Bravo, Charlie", Titles());

  Visit("http://h/d", "Delta");  // kept out by the filter until it is cleared
  Visit("http://h/b", "Bravo");  // a revisit moves nothing
  store.EditPageMark(store.FindPageMarkByUrl("http://h/a"), "arrow", "http://h/a");  // into the filter
  EXPECT_EQ("arrow, Bravo, Charlie", Titles());
  store.DeletePageMark(store.FindPageMarkByUrl("http://h/c"));
  EXPECT_EQ("arrow, Bravo", Titles());
  model.SetFilter("");
  EXPECT_EQ("arrow, Bravo, Delta", Titles()) << "the new row went where the sort puts it";

  int resets = 0;
  QObject::connect(&model, &PageMarkTableModel::Followed, [&](bool reset) { resets += reset; });
  store.RegroupSites();
  EXPECT_EQ("arrow, Bravo, Delta", Titles()) << "rebuilt under the same sort";
  store.ClearStore();
  EXPECT_EQ(0, model.rowCount());
  EXPECT_EQ(2, resets);
}

}  // namespace
}  // namespace windowstest
