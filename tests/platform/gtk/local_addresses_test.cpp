#include "platform/gtk/local_addresses.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pellora::gtk {
namespace {

TEST(LocalAddresses, FileAddressesGoInThroughOurSchemeAndComeBackUnchanged) {
  struct Case {
    std::string html;
    std::string inPage;
    std::set<std::string> referenced;
  };
  const Case cases[] = {
      {"<img src=\"file:///home/a/b%20c.png\" alt=x>",
       "<img src=\"pellora-local:///home/a/b%20c.png\" alt=x>",
       {"file:///home/a/b%20c.png"}},
      {"<img src='file:///a.png'><img src=file:///b.png width=3>",
       "<img src='pellora-local:///a.png'><img src=pellora-local:///b.png width=3>",
       {"file:///a.png", "file:///b.png"}},
      {"<div style=\"background: url(file:///c.png)\">",
       "<div style=\"background: url(pellora-local:///c.png)\">",
       {"file:///c.png"}},
      {"<img src=\"file:///x?a=1&amp;b=2\">",
       "<img src=\"pellora-local:///x?a=1&amp;b=2\">",
       {"file:///x?a=1&b=2"}},
      // Server and relative addresses, and other spellings, stay as they are.
      {"<img src=\"http://h/file:///a.png\">", "<img src=\"http://h/file:///a.png\">", {}},
      {"file:///start.png and text", "pellora-local:///start.png and text", {"file:///start.png"}},
      {"<img src=\"bild.png\"><img src=\"FILE:///a.png\"><a href=\"file://host/x\">",
       "<img src=\"bild.png\"><img src=\"FILE:///a.png\"><a href=\"file://host/x\">",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    std::set<std::string> referenced;
    const std::string inPage = localAddressesIn(c.html, referenced);
    EXPECT_EQ(c.inPage, inPage);
    EXPECT_EQ(c.referenced, referenced);
    EXPECT_EQ(c.html, localAddressesOut(inPage));
  }
}

}  // namespace
}  // namespace pellora::gtk
