#include "store/site_keys.h"

#include <gtest/gtest.h>

namespace {

struct KeyCase {
  const char* url;
  const char* shortKey;  // "Simple Sites" 0
  const char* fullKey;   // "Simple Sites" non-zero
};

class SiteKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SiteKeyTest, KeyInBothSettings) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(c.shortKey, SiteKeyForUrl(c.url, 0)) << c.url;
  EXPECT_EQ(c.fullKey, SiteKeyForUrl(c.url, 1)) << c.url;
}

INSTANTIATE_TEST_SUITE_P(
    Http, SiteKeyTest,
    ::testing::Values(KeyCase{"http://Web.Name.COM:8080/index.html", "name.com", "Web.Name.COM:8080"},
                      KeyCase{"http://web.cs.name.edu/~x/", "name.edu", "web.cs.name.edu"},
                      KeyCase{"http://name.com/", "name.com", "name.com"},
                      KeyCase{"http://www.name.org/a", "name.org", "www.name.org"},
                      KeyCase{"http://a.b.name.net/", "name.net", "a.b.name.net"},
                      KeyCase{"http://www.agency.gov/", "agency.gov", "www.agency.gov"},
                      KeyCase{"http://web.name.co.uk/", "web.name.co.uk", "web.name.co.uk"},
                      KeyCase{"http://Web.Name.DE:81/", "web.name.de", "Web.Name.DE:81"},
                      KeyCase{"http://localhost/", "localhost", "localhost"},
                      KeyCase{"http://localhost:8000/x", "localhost", "localhost:8000"},
                      KeyCase{"http://10.1.2.3/", "10.1.2.3", "10.1.2.3"},
                      KeyCase{"http://www.name.com", "name.com", "www.name.com"},
                      KeyCase{"HTTP://WWW.Name.Com/", "name.com", "WWW.Name.Com"},
                      KeyCase{"http://.com/", ".com", ".com"},
                      // Too short to hold a server: an empty key, never a read past the end.
                      KeyCase{"http:", "", ""}, KeyCase{"http:/", "", ""}, KeyCase{"http://", "", ""}));

INSTANTIATE_TEST_SUITE_P(
    OtherSchemes, SiteKeyTest,
    ::testing::Values(
        KeyCase{"https://Shop.Name.com/cart", "Shop.Name.com (secure)", "Shop.Name.com (secure)"},
        KeyCase{"HTTPS://Shop.Name.com:443", "Shop.Name.com:443 (secure)", "Shop.Name.com:443 (secure)"},
        KeyCase{"https://", " (secure)", " (secure)"}, KeyCase{"https", " (secure)", " (secure)"},
        KeyCase{"ftp://ftp.Name.com/pub/x", "ftp.Name.com", "ftp.Name.com"}, KeyCase{"ftp:/", "", ""},
        KeyCase{"gopher://gopher.Name.edu/1", "gopher.Name.edu", "gopher.Name.edu"}, KeyCase{"gophe", "", ""},
        KeyCase{"about:blank", "about", "about"},
        KeyCase{"file:///C|/pages/index.html", "Local Disk(s)", "Local Disk(s)"},
        KeyCase{"FILE:/home/u/x.html", "Local Disk(s)", "Local Disk(s)"},
        KeyCase{"mailto:someone@name.com", "Unknown Server Type", "Unknown Server Type"},
        KeyCase{"news:comp.lang.c", "Unknown Server Type", "Unknown Server Type"},
        KeyCase{"", "Unknown Server Type", "Unknown Server Type"},
        KeyCase{"h", "Unknown Server Type", "Unknown Server Type"}));

TEST(SiteInsertPositionTest, CountsTheEntriesBelowTheKey) {
  const std::vector<std::string> names{"Beta", "alpha", "gamma"};
  EXPECT_EQ(0u, SiteInsertPosition({}, "x"));
  EXPECT_EQ(0u, SiteInsertPosition(names, "Alpha"));
  EXPECT_EQ(1u, SiteInsertPosition(names, "alpha"));  // equal: that entry's index
  EXPECT_EQ(1u, SiteInsertPosition(names, "Zulu"));   // upper case sorts before lower case
  EXPECT_EQ(2u, SiteInsertPosition(names, "beta"));
  EXPECT_EQ(3u, SiteInsertPosition(names, "zulu"));  // above all
}

TEST(SiteInsertPositionTest, BytesCompareAsUnsignedValues) {
  const std::vector<std::string> names{"name.com", "z.com"};
  EXPECT_EQ(2u, SiteInsertPosition(names, "\xE9t\xE9.com"));
  EXPECT_EQ(0u, SiteInsertPosition(names, "\x01"));
}

}  // namespace

namespace {

// Sites as browsers group them: one key per registrable domain, https and http alike.
TEST(ModernSiteKeyTest, RegistrableDomainForEverySuffixHttpAndHttpsAlike) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://news.bbc.co.uk/1", "bbc.co.uk"},
      {"https://www.bbc.co.uk/", "bbc.co.uk"},
      {"https://WWW.Example.DE:8443/x", "example.de"},
      {"https://en.wikipedia.org/wiki/A", "wikipedia.org"},
      {"http://de.wikipedia.org/", "wikipedia.org"},
      {"https://user:pw@git.example.com/", "example.com"},
      {"https://example.com./", "example.com"},
      {"https://example.com?q=1", "example.com"},
      {"http://localhost:8000/", "localhost"},
      {"http://10.1.2.3/", "10.1.2.3"},
      {"https://[::1]:8080/", "[::1]"},
      {"http://co.uk/", "co.uk"},
      {"https://xn--bcher-kva.de/", "xn--bcher-kva.de"},
      {"https://shop.B\xC3\x9C"
       "CHER.de/",
       "b\xC3\xBC"
       "cher.de"},
      {"https://", ""},
  };
  for (const auto& [url, key] : cases) EXPECT_EQ(key, SiteKeyForUrl(url, 0, 1)) << url;
}

TEST(ModernSiteKeyTest, FullNamesAndOtherSchemes) {
  EXPECT_EQ("news.bbc.co.uk", SiteKeyForUrl("https://News.BBC.co.uk:443/", 1, 1));
  EXPECT_EQ("news.bbc.co.uk", SiteKeyForUrl("http://news.bbc.co.uk/", 1, 1));
  EXPECT_EQ("Local Disk(s)", SiteKeyForUrl("file:///tmp/a", 0, 1));
  EXPECT_EQ("ftp.example.com", SiteKeyForUrl("ftp://ftp.example.com/pub", 0, 1));
  EXPECT_EQ("about", SiteKeyForUrl("about:blank", 0, 1));
  EXPECT_EQ("Unknown Server Type", SiteKeyForUrl("mailto:a@b.c", 0, 1));
  // With the classic rule https stays apart, as it always was.
  EXPECT_EQ("www.bbc.co.uk (secure)", SiteKeyForUrl("https://www.bbc.co.uk/", 0, 0));
}

}  // namespace
