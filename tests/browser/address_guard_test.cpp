// What Hopwise refuses to hand to the browser, as a plain function.
#include "browser/address_guard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Refused(const std::vector<std::string>& texts) {
  std::vector<std::string> refused;
  for (const std::string& text : texts)
    if (BrowserRefusal(text)) refused.push_back(text);
  return refused;
}

TEST(AddressGuard, TextTheBrowserProgramWouldReadAsAnOptionIsRefused) {
  const std::vector<std::string> options = {
      "--renderer-cmd-prefix=sh -c touch${IFS}/tmp/pwned",
      "-h",
      "--new-instance --profile /tmp/x",
      "-",
      " --version",            // the browsers strip ASCII blanks before they look
      "\t\v\f\r\n-h",          // ...and controls
      std::string("\0-h", 3),  // a NUL ends the argument: the program sees nothing before the "-"
      "\x7f-h",
      "\u00a0-h",  // Unicode spaces in front, in case some program strips those too
      "\u3000\u2003\ufeff--x",
  };
  EXPECT_EQ(options, Refused(options));
}

TEST(AddressGuard, ScriptAndDataAddressesAreRefusedHoweverTheyAreSpelled) {
  const std::vector<std::string> schemes = {
      "javascript:alert(1)",
      "JavaScript:alert(1)",
      " javascript:x",
      "java\tscr\nipt:x",
      "\x01javascript:x",
      "vbscript:msgbox(1)",
      "data:text/html,<h1>Bank</h1>",
      "DATA:,x",
  };
  EXPECT_EQ(schemes, Refused(schemes));
}

TEST(AddressGuard, AddressesAndTypedTextPass) {
  const std::vector<std::string> fine = {
      "http://example.com/-a",
      "https://a.example/?q=--x",
      "example.com",
      "localhost:8000",
      "192.168.0.1",
      "a-b.example",
      "/home/u/-page.html",
      "file:///usr/share/x.html",
      "about:blank",
      "javascript.info",
      "data.example.com/x:y",
      "my-data:x",
      "",
      "   ",
      "\u00e9t\u00e9.example",
      "mailto:a@example.com",
  };
  EXPECT_EQ(std::vector<std::string>{}, Refused(fine));
}

TEST(AddressGuard, TheMessageNamesTheTextAndWhy) {
  EXPECT_EQ(
      "Hopwise did not open \"-h\": it begins with \"-\", so the browser program would take it as one "
      "of its options. No web address begins with \"-\".",
      BrowserRefusal("-h").value_or(""));
  EXPECT_NE(std::string::npos,
            BrowserRefusal("JavaScript:x").value_or("").find("a javascript: address runs"));
  EXPECT_EQ(0u,
            BrowserRefusal(std::string("\t\0-h\n", 5)).value_or("").find("Hopwise did not open \"  -h \": "));
  const std::string longText = "--" + std::string(77, 'x') + "\u00e9tail";
  const std::string message = BrowserRefusal(longText).value_or("");
  EXPECT_NE(std::string::npos, message.find("\"--" + std::string(77, 'x') + "...\"")) << message;
}

}  // namespace
