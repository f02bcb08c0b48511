#include "platform/menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every change told to it as "kind@position:text".
struct Recorder {
  std::vector<std::string> log;
  Menu::Observer Observer() {
    return [this](const MenuChange& c) {
      static const char* const names[] = {"ins", "rem", "chg", "clr"};
      log.push_back(std::string(names[static_cast<int>(c.kind)]) + "@" + std::to_string(c.position) + ":" +
                    c.item.text);
    };
  }
};

std::vector<uint32_t> Commands(const Menu& m) {
  std::vector<uint32_t> out;
  for (std::size_t i = 0; i < m.Count(); ++i) out.push_back(m.CommandAt(i));
  return out;
}

}  // namespace

TEST(Menu, InsertsAtPositionsAndAppendsPastTheEnd) {
  Menu m;
  EXPECT_EQ(0u, m.InsertItem(0, 10, "ten"));
  EXPECT_EQ(1u, m.InsertItem(99, 30, "thirty"));
  EXPECT_EQ(1u, m.InsertSeparator(1));
  EXPECT_EQ(1u, m.InsertItem(1, 20, "twenty"));
  EXPECT_EQ(4u, m.AppendItem(40, "forty"));
  EXPECT_EQ((std::vector<uint32_t>{10, 20, 0, 30, 40}), Commands(m));
  EXPECT_EQ("twenty", m.TextAt(1));
  EXPECT_EQ("", m.TextAt(2));
  EXPECT_EQ(MenuItemKind::Separator, m.ItemAt(2)->kind);

  // Reading or removing past the end finds nothing and changes nothing.
  EXPECT_EQ(nullptr, m.ItemAt(5));
  EXPECT_EQ(0u, m.CommandAt(5));
  EXPECT_EQ("", m.TextAt(5));
  EXPECT_EQ(nullptr, m.SubmenuAt(0));
  EXPECT_FALSE(m.RemoveAt(5));
  EXPECT_TRUE(m.RemoveAt(0));
  EXPECT_EQ((std::vector<uint32_t>{20, 0, 30, 40}), Commands(m));
  EXPECT_EQ(2u, m.PositionOf(30));
}

TEST(Menu, CommandZeroIsNoCommand) {
  Menu m;
  m.AppendSeparator();
  m.AppendItem(0, "numberless");
  m.AppendSubmenu(std::make_shared<Menu>(), "sub");
  EXPECT_EQ(0u, m.CommandAt(2));
  EXPECT_FALSE(m.RemoveCommand(0));
  EXPECT_EQ(std::nullopt, m.Enable(0, false));
  EXPECT_EQ(std::nullopt, m.PositionOf(0));
  EXPECT_EQ(3u, m.Count());
}

// The main menu's layout: "Recent Web Pages" at 3, a Site submenu further down; a page is listed
// in both under the same number.
TEST(Menu, CommandSearchIsDepthFirstInItemOrder) {
  Menu main;
  auto recent = std::make_shared<Menu>();
  auto site = std::make_shared<Menu>();
  recent->AppendItem(1040, "Page (recent)");
  recent->AppendSeparator();
  recent->AppendItem(32941, "More PageMarks...\tCtrl-Q");
  site->AppendItem(1041, "Other page");
  site->AppendItem(1040, "Page (site)");
  main.AppendItem(32812, "About");
  main.AppendSubmenu(std::make_shared<Menu>(), "Help");
  main.AppendSeparator();
  main.AppendSubmenu(recent, "Recent Web Pages");
  main.AppendSeparator();
  main.AppendSubmenu(site, "example.com");
  main.AppendItem(1040, "top-level after both");

  EXPECT_EQ(recent.get(), main.MenuOf(1040));
  EXPECT_EQ(true, main.Enable(1040, true));
  EXPECT_EQ(true, main.Enable(1040, false));
  EXPECT_EQ(false, recent->IsEnabled(1040));
  EXPECT_EQ(true, site->IsEnabled(1040));

  EXPECT_TRUE(main.RemoveCommand(1040));
  EXPECT_EQ((std::vector<uint32_t>{0, 32941}), Commands(*recent));
  EXPECT_EQ(2u, site->Count());
  EXPECT_TRUE(main.RemoveCommand(1040));
  EXPECT_EQ((std::vector<uint32_t>{1041}), Commands(*site));
  EXPECT_TRUE(main.RemoveCommand(1040));
  EXPECT_EQ(6u, main.Count());
  EXPECT_FALSE(main.RemoveCommand(1040));
  EXPECT_FALSE(main.Contains(1040));

  // An item of the menu itself before the submenu is found first.
  Menu m;
  auto sub = std::make_shared<Menu>();
  sub->AppendItem(7, "in sub");
  m.AppendItem(7, "first");
  m.AppendSubmenu(sub, "sub");
  EXPECT_TRUE(m.Relabel(7, "renamed"));
  EXPECT_EQ("renamed", m.TextAt(0));
  EXPECT_EQ("in sub", sub->TextAt(0));
}

TEST(Menu, EnableAndCheckReturnThePreviousStateOrNotFound) {
  Menu m;
  auto sub = std::make_shared<Menu>();
  sub->AppendItem(5, "five");
  m.AppendSubmenu(sub, "sub");

  EXPECT_EQ(std::nullopt, m.Enable(6, false));
  EXPECT_EQ(std::nullopt, m.Check(6, true));
  EXPECT_EQ(std::nullopt, m.IsChecked(6));
  EXPECT_FALSE(m.Relabel(6, "x"));

  EXPECT_EQ(true, m.Enable(5, false));
  EXPECT_EQ(false, m.Enable(5, false));
  EXPECT_EQ(false, m.Enable(5, true));
  EXPECT_EQ(true, m.IsEnabled(5));

  EXPECT_EQ(false, m.Check(5, true));
  EXPECT_EQ(true, m.Check(5, true));
  EXPECT_EQ(true, m.Check(5, false));
  EXPECT_EQ(false, m.IsChecked(5));

  // A new label keeps the number, the state and the label style.
  m.Check(5, true);
  m.Enable(5, false);
  sub->InsertItem(0, 4, "R&D", LabelStyle::Mnemonic);
  EXPECT_TRUE(m.Relabel(4, "Q&A"));
  EXPECT_TRUE(m.Relabel(5, "new five"));
  const MenuItem* five = sub->ItemAt(1);
  EXPECT_EQ("new five", five->text);
  EXPECT_EQ(5u, five->command);
  EXPECT_TRUE(five->checked);
  EXPECT_TRUE(five->grayed);
  EXPECT_EQ(LabelStyle::Mnemonic, sub->ItemAt(0)->style);
  EXPECT_EQ(LabelStyle::Literal, five->style);
}

TEST(Menu, SubmenusAreSharedAndNeverContainTheirOwnParent) {
  auto site = std::make_shared<Menu>();
  std::weak_ptr<Menu> watch = site;
  {
    std::vector<std::shared_ptr<Menu>> table{site};  // as a Site table would hold it
    Menu main;
    ASSERT_TRUE(main.AppendSubmenu(site, "example.com"));
    site.reset();
    table[0]->AppendItem(1034, "page");
    EXPECT_TRUE(main.Contains(1034));
    EXPECT_EQ(table[0], main.SubmenuAt(0));

    main.RemoveAt(0);
    EXPECT_FALSE(watch.expired());  // still in the table
    EXPECT_EQ(1u, table[0]->Count());

    // The same submenu may sit in one menu twice.
    EXPECT_TRUE(main.AppendSubmenu(table[0], "a"));
    EXPECT_TRUE(main.AppendSubmenu(table[0], "b"));
    EXPECT_EQ(true, main.Enable(1034, false));
    EXPECT_EQ(false, main.IsEnabled(1034));
  }
  EXPECT_TRUE(watch.expired());

  auto a = std::make_shared<Menu>();
  auto b = std::make_shared<Menu>();
  auto c = std::make_shared<Menu>();
  ASSERT_TRUE(a->AppendSubmenu(b, "b"));
  ASSERT_TRUE(b->AppendSubmenu(c, "c"));
  EXPECT_EQ(std::nullopt, c->AppendSubmenu(a, "a"));
  EXPECT_EQ(std::nullopt, a->AppendSubmenu(a, "self"));
  EXPECT_EQ(std::nullopt, a->InsertSubmenu(0, nullptr, "null"));
  EXPECT_EQ(0u, c->Count());
  EXPECT_EQ(1u, a->Count());
  EXPECT_TRUE(a->Reaches(c.get()));
  EXPECT_FALSE(c->Reaches(a.get()));
}

TEST(Menu, DeepNestingDoesNotExhaustTheStack) {
  auto top = std::make_shared<Menu>();
  auto current = top;
  for (int i = 0; i < 20000; ++i) {
    auto next = std::make_shared<Menu>();
    current->AppendItem(static_cast<uint32_t>(i + 1), "x");
    current->AppendSubmenu(next, "folder");
    current = next;
  }
  current->AppendItem(999999, "deepest");
  EXPECT_TRUE(top->Contains(999999));
  EXPECT_TRUE(top->RemoveCommand(999999));
  EXPECT_FALSE(top->Contains(999999));
  // Taken apart level by level so that no destructor recursion runs 20000 deep.
  std::vector<std::shared_ptr<Menu>> chain{top};
  while (chain.back()->SubmenuAt(1)) chain.push_back(chain.back()->SubmenuAt(1));
  for (auto& menu : chain) menu->Clear();
}

TEST(Menu, ObserversHearEachChangeOfTheirOwnMenu) {
  Menu m;
  auto sub = std::make_shared<Menu>();
  Recorder top, inner;
  MenuSubscription s1 = m.Subscribe(top.Observer());
  MenuSubscription s2 = sub->Subscribe(inner.Observer());

  m.InsertItem(50, 1, "one");
  m.AppendSubmenu(sub, "sub");
  m.InsertSeparator(1);
  sub->AppendItem(2, "two");
  m.Enable(2, false);  // reported by the submenu that holds item 2
  m.Enable(2, false);  // no change, no report
  m.Check(1, true);
  m.Check(1, true);
  m.Relabel(1, "uno");
  m.Relabel(1, "uno");
  m.RemoveCommand(2);
  m.RemoveAt(0);
  m.Clear();
  m.Clear();  // already empty

  EXPECT_EQ((std::vector<std::string>{"ins@0:one", "ins@1:sub", "ins@1:", "chg@0:one", "chg@0:uno",
                                      "rem@0:uno", "clr@0:"}),
            top.log);
  EXPECT_EQ((std::vector<std::string>{"ins@0:two", "chg@0:two", "rem@0:two"}), inner.log);
}

TEST(Menu, SubscriptionsEndSafelyWhicheverSideGoesFirst) {
  Recorder r;
  MenuSubscription outlives;
  {
    Menu m;
    outlives = m.Subscribe(r.Observer());
    EXPECT_TRUE(outlives.Active());
    {
      MenuSubscription scoped = m.Subscribe(r.Observer());
      m.AppendItem(1, "a");  // heard twice
    }
    m.AppendItem(2, "b");  // heard once: the scoped subscription has ended
    MenuSubscription moved = std::move(outlives);
    EXPECT_FALSE(outlives.Active());
    m.AppendItem(3, "c");
    outlives = std::move(moved);
  }
  EXPECT_FALSE(outlives.Active());
  outlives.Reset();  // the menu is gone: nothing to do, nothing breaks
  EXPECT_EQ((std::vector<std::string>{"ins@0:a", "ins@0:a", "ins@1:b", "ins@2:c"}), r.log);
}

TEST(Menu, ObserversMayUnsubscribeOrChangeTheMenuWhileBeingTold) {
  Menu m;
  std::vector<std::string> log;
  MenuSubscription first, second;
  first = m.Subscribe([&](const MenuChange& c) {
    log.push_back("first " + c.item.text);
    if (c.item.text == "a") {
      second.Reset();        // the other observer is not told this change
      m.AppendItem(2, "b");  // told to everybody after "a" has reached everybody
    }
    if (c.item.text == "b") first.Reset();  // ends itself while it runs
  });
  second = m.Subscribe([&](const MenuChange& c) { log.push_back("second " + c.item.text); });
  Recorder late;
  auto third = m.Subscribe(late.Observer());

  m.AppendItem(1, "a");
  m.AppendItem(3, "c");
  EXPECT_EQ((std::vector<std::string>{"first a", "first b"}), log);
  EXPECT_EQ((std::vector<std::string>{"ins@0:a", "ins@1:b", "ins@2:c"}), late.log);
}

TEST(Menu, AnObserverMayDestroyTheMenuItWatches) {
  auto m = std::make_unique<Menu>();
  int told = 0;
  auto s = m->Subscribe([&](const MenuChange&) {
    ++told;
    m.reset();
  });
  Recorder after;
  auto s2 = m->Subscribe(after.Observer());
  m->AppendItem(1, "x");
  EXPECT_EQ(nullptr, m);
  EXPECT_EQ(1, told);
  EXPECT_FALSE(s.Active());
  EXPECT_TRUE(after.log.empty());  // its menu was gone before its turn came
}
