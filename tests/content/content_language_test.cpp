// The languages an item is written in, as the spelling checker gets them.
#include "content/content_language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellora::content {
namespace {

TEST(ContentLanguages, DeclaredFirstThenFoundByTheirWordsMostUsedFirst) {
  using Langs = std::vector<std::string>;
  const struct {
    const char* html;
    Langs expected;
  } cases[] = {
      {"<p>Das ist der Text, und er ist nicht lang.</p>", {"de"}},
      {"<p>This is the text of the page, and it is short.</p>", {"en"}},
      // More English than German words: English first.
      {"<p>Der Text und die Seite.</p><p>The text is the page of the site, and it is the one "
       "that we have.</p>",
       {"en", "de"}},
      // A lang attribute in any spelling counts before the words do.
      {"<p LANG=de-AT>x</p><p>This is the text of the page.</p>", {"de", "en"}},
      {"<div xml:lang='fr'><p lang = \"DE_ch\">x</p></div>", {"fr", "de"}},
      {"<p data-lang=\"de\" alang=de>This is the one, and it is not.</p>", {"en"}},
      // Two small words tell nothing; markup is no text.
      {"<p>die Sonne</p><p class=\"the and the of\">is</p>", {}},
      // Broken markup ends the scan, no more.
      {"<p lang=", {}},
      {"<p lang=\"de", {"de"}},
      {"<p lang=\"12\">", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.html);
    EXPECT_EQ(contentLanguages(c.html), c.expected);
  }
}

}  // namespace
}  // namespace pellora::content
