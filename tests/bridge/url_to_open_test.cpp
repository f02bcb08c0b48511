#include "bridge/host/url_to_open.h"

#include <gtest/gtest.h>

namespace bridge {
namespace {

TEST(UrlToOpen, KeepsAddressesWithASchemeAndTrimsBlanks) {
  EXPECT_EQ(UrlToOpen("https://example.org/a?b=\"c\""), "https://example.org/a?b=\"c\"");
  EXPECT_EQ(UrlToOpen("  file:///tmp/x.html \n"), "file:///tmp/x.html");
  EXPECT_EQ(UrlToOpen("mailto:someone@example.org"), "mailto:someone@example.org");
  EXPECT_EQ(UrlToOpen("about:blank"), "about:blank");
}

TEST(UrlToOpen, GivesBareAddressesTheWebScheme) {
  EXPECT_EQ(UrlToOpen("example.org/a"), "http://example.org/a");
  EXPECT_EQ(UrlToOpen("localhost:8080/x"), "http://localhost:8080/x");
  EXPECT_EQ(UrlToOpen("localhost:8080"), "http://localhost:8080");
  EXPECT_EQ(UrlToOpen("/tmp/page.html"), "file:///tmp/page.html");
}

TEST(UrlToOpen, NothingLeftIsNothingToOpen) {
  EXPECT_EQ(UrlToOpen(""), "");
  EXPECT_EQ(UrlToOpen(" \t "), "");
}

}  // namespace
}  // namespace bridge
