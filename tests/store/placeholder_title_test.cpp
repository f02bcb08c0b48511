// The stand-in titles Chromium 156 and Firefox ESR 153 were seen to show, and real titles that
// resemble them.
#include "store/placeholder_title.h"

#include <gtest/gtest.h>

namespace {

TEST(PlaceholderTitle, TheAddressAsEitherBrowserShowsIt) {
  const std::string wiki = "http://127.0.0.1:8080/wiki/Cr%C3%A8me_br%C3%BBl%C3%A9e";
  EXPECT_TRUE(IsPlaceholderTitle(wiki, "127.0.0.1:8080/wiki/Crème_brûlée")) << "Chromium decodes";
  EXPECT_TRUE(IsPlaceholderTitle(wiki, "127.0.0.1:8080/wiki/Cr%C3%A8me_br%C3%BBl%C3%A9e"))
      << "Firefox does not";
  EXPECT_TRUE(IsPlaceholderTitle(wiki, wiki));
  EXPECT_TRUE(IsPlaceholderTitle("http://h/search?q=%C3%A9", "h/search?q=é"));
  EXPECT_TRUE(IsPlaceholderTitle("http://h/a%2Fb%20c", "h/a%2Fb c")) << "escapes of ASCII kept or decoded";
  EXPECT_TRUE(IsPlaceholderTitle("https://example.org/", "example.org"));
  EXPECT_TRUE(IsPlaceholderTitle("https://example.org/a#part", "example.org/a"));
  EXPECT_TRUE(IsPlaceholderTitle("https://example.org/a", ""));
}

TEST(PlaceholderTitle, AFilesNameOrPath) {
  const std::string file = "file:///tmp/pages/Notes%20%C3%A9.html";
  EXPECT_TRUE(IsPlaceholderTitle(file, "Notes é.html")) << "Chromium";
  EXPECT_TRUE(IsPlaceholderTitle(file, "/tmp/pages/Notes%20é.html")) << "Firefox";
  EXPECT_TRUE(IsPlaceholderTitle(file, file));
  EXPECT_FALSE(IsPlaceholderTitle("http://h/Notes.html", "Notes.html")) << "only a file's name stands in";
}

TEST(PlaceholderTitle, ALongAddressCutShort) {
  const std::string query(5000, 'q');
  const std::string url = "http://h/long?" + query;
  const std::string shown = "h/long?" + query;
  EXPECT_TRUE(IsPlaceholderTitle(url, shown.substr(0, 256))) << "Firefox";
  EXPECT_TRUE(IsPlaceholderTitle(url, shown.substr(0, 2048))) << "the extension";
  EXPECT_TRUE(IsPlaceholderTitle(url, shown.substr(0, 2047) + "."))
      << "Chromium's elision, cut by the extension";
  EXPECT_TRUE(IsPlaceholderTitle(url, shown.substr(0, 300) + "\xE2\x80\xA6" + query.substr(0, 20)));
  const std::string encoded = "http://h/e?" + std::string(200, 'x') + "%C3%A9%C3%A9";
  EXPECT_TRUE(IsPlaceholderTitle(encoded, encoded.substr(7, 256))) << "an escape cut in the middle";
}

TEST(PlaceholderTitle, RealTitlesThatResembleTheAddress) {
  EXPECT_FALSE(IsPlaceholderTitle("https://example.org/about", "example.org"));
  EXPECT_FALSE(IsPlaceholderTitle("https://example.org/", "Example Domain"));
  EXPECT_FALSE(IsPlaceholderTitle("http://h/Cr%C3%A8me", "Crème"));
  const std::string url = "http://h/long?" + std::string(500, 'q');
  EXPECT_FALSE(IsPlaceholderTitle(url, "h/long?qqq")) << "short: a real title may begin like the address";
  EXPECT_FALSE(IsPlaceholderTitle(url, "h/long?" + std::string(300, 'z')));
}

}  // namespace
