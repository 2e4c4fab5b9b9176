// The engine-free text operations of the WebKit editing surface.
#include "platform/gtk/webkit_surface_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/gtk/surface_scripts.h"

namespace pellora::gtk {
namespace {

TEST(WebKitSurfaceText, ServerOriginOnlyForPlainHttpAuthorities) {
  struct Case {
    const char* baseUrl;
    std::optional<std::string> origin;
  };
  const Case cases[] = {
      {"http://localhost/tessaron/tessaron", "http://localhost"},
      {"HTTPS://Example.org:8443/a?b#c", "https://Example.org:8443"},
      {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
      {"ftp://example.org/", std::nullopt},
      {"example.org/x", std::nullopt},
      {"http:///x", std::nullopt},
      // Guards against text that would add sources or directives.
      {"http://user:pw@example.org/", std::nullopt},
      {"http://a.org;script-src */", std::nullopt},
      {"http://a.org *\"/", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.origin, serverOrigin(c.baseUrl)) << c.baseUrl;
  }
}

TEST(WebKitSurfaceText, PolicyAllowsImagesFromTheServerAndNoScript) {
  const std::string policy = contentPolicyElement("http://host:81/base");
  EXPECT_NE(std::string::npos, policy.find("default-src 'none'"));
  EXPECT_NE(std::string::npos, policy.find("img-src http://host:81 pellora-local: data:"));
  EXPECT_EQ(std::string::npos, policy.find("script-src"));
  // Without a usable server, no remote source at all.
  const std::string local = contentPolicyElement("not an address");
  EXPECT_NE(std::string::npos, local.find("img-src pellora-local: data:"));
  EXPECT_EQ(std::string::npos, local.find("http:"));
}

TEST(WebKitSurfaceText, FilterRemovesExactlyWhatTheSurfaceAdds) {
  const std::string policy = contentPolicyElement("http://host");
  const std::string details = "<style id=\"" + std::string(kDetailsStyleId) + "\">p{}</style>";
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"<html><head>" + policy + "<meta name=x>" + details + "</head><body>b</body></html>",
       "<html><head><meta name=x></head><body>b</body></html>"},
      {"<p>no additions</p>", "<p>no additions</p>"},
      // The content's own style elements stay.
      {"<style id=\"mine\">p{}</style>", "<style id=\"mine\">p{}</style>"},
      // An unterminated addition takes the rest (it was ours to the end).
      {"a<style id=\"" + std::string(kDetailsStyleId) + "\">p{", "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, removeSurfaceAdditions(c.text)) << c.text;
}

TEST(WebKitSurfaceText, BlockFormatNamesMapBothWays) {
  for (const BlockFormat& format : blockFormatTable()) {
    EXPECT_EQ(format.element, blockFormatElement(format.name).value_or("?"));
    EXPECT_EQ(format.name, blockFormatName(format.element));
  }
  EXPECT_EQ("Normal", blockFormatName(""));
  EXPECT_EQ("Normal", blockFormatName("div"));
  EXPECT_EQ("Heading 2", blockFormatName("H2"));
  EXPECT_EQ("", blockFormatName("li"));
  EXPECT_EQ("h3", blockFormatElement("heading 3").value_or("?"));
  EXPECT_EQ(std::nullopt, blockFormatElement("Heading 7"));
}

TEST(WebKitSurfaceText, JsStringEscapesWhatWouldEndOrBreakTheLiteral) {
  EXPECT_EQ(R"("a\"b\\c\nd\re\x01")", jsString("a\"b\\c\nd\re\x01"));
  EXPECT_EQ("\"\xC5\x82\"", jsString("\xC5\x82"));
}

}  // namespace
}  // namespace pellora::gtk
