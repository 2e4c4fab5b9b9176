// The display-less platform's text-only surface: the body it hands out is
// what stands between the body tags, whatever their case.
#include "ui/headless_platform.h"

#include <gtest/gtest.h>

#include "ui/editing_surface.h"

namespace pellora::ui {
namespace {

TEST(HeadlessPlatformTest, TheBodyIsFoundWhateverTheCaseOfItsTags) {
  const struct {
    const char* document;
    const char* body;
  } rows[] = {
      {"<HTML><HEAD></HEAD><BODY>\r\n<P>a</P></BODY></HTML>", "\r\n<P>a</P>"},
      {"<html><body bgcolor=\"#fff\"><p>b</p></body></html>", "<p>b</p>"},
      {"<Html><Body>C</bOdY></Html>", "C"},
      {"<p>no body tags</p>", "<p>no body tags</p>"},
  };
  HeadlessPlatform platform;
  for (const auto& row : rows) {
    const std::unique_ptr<EditingSurface> surface = platform.createEditingSurface();
    surface->setDocumentHTML(row.document);
    ASSERT_NE(surface->DOM(), nullptr);
    EXPECT_EQ(surface->DOM()->bodyInnerHTML(), row.body) << row.document;
  }
}

}  // namespace
}  // namespace pellora::ui
