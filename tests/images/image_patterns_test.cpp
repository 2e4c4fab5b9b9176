// Finding server and local images in a document and rewriting uploaded
// images' addresses.
#include "images/image_patterns.h"

#include <gtest/gtest.h>

namespace pellora::images {
namespace {

using Names = std::vector<std::string>;

constexpr std::string_view kContents = "http://h/t/contents/";

TEST(ContentsUrlTest, AppendsTheFolderToTheBaseAsItStands) {
  EXPECT_EQ(ContentsUrl("http://h/t"), "http://h/t/contents/");
  EXPECT_EQ(ContentsUrl("http://h/t/"), "http://h/t//contents/");
}

TEST(FindServerImagesTest, RecordsDoubleQuotedContentsImagesByName) {
  struct Case {
    const char* why;
    std::string text;
    Names expected;
  } cases[] = {
      {"upper-case tag, twice: one entry per occurrence",
       R"(<IMG src="http://h/t/contents/a.gif"><p>x</p><img alt=x src="http://h/t/contents/a.gif">)",
       {"a.gif", "a.gif"}},
      {"two images in a row, each its own",
       R"(<img src="http://h/t/contents/a.gif"><img src="http://h/t/contents/b.gif">)",
       {"a.gif", "b.gif"}},
      {"letter case of the address does not matter",
       R"(<img src="HTTP://H/T/CONTENTS/B.GIF">)",
       {"B.GIF"}},
      {"the name ends at the closing quote",
       R"(<img src="http://h/t/contents/my pic.gif" alt="a/b">)",
       {"my pic.gif"}},
      {"single quotes are not recorded", R"(<img src='http://h/t/contents/a.gif'>)", {}},
      {"unquoted is not recorded", R"(<img src=http://h/t/contents/a.gif>)", {}},
      {"a relative src is not recorded", R"(<img src="contents/a.gif">)", {}},
      {"a further slash is not recorded", R"(<img src="http://h/t/contents/sub/a.gif">)", {}},
      {"src of another tag is not recorded",
       R"(<img alt="x"><p src="http://h/t/contents/c.gif">)",
       {}},
      {"another installation is not recorded", R"(<img src="http://h/u/contents/a.gif">)", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findServerImages(c.text, kContents), c.expected) << c.why;
  }
}

TEST(UnusedServerImagesTest, OffersNamesFoundNowhereOnce) {
  struct Case {
    const char* why;
    Names serverImages;
    std::string text;
    Names expected;
  } cases[] = {
      {"duplicates offered once", {"a.gif", "a.gif"}, "<p>gone</p>", {"a.gif"}},
      {"a name inside another name counts as used", {"a.gif"}, R"(<img src="x/ba.gif">)", {}},
      {"a name in plain text counts as used", {"a.gif"}, "see a.gif", {}},
      {"the search is case-sensitive", {"A.GIF"}, "a.gif", {"A.GIF"}},
      {"list order is kept", {"b.gif", "a.gif", "b.gif", "c.gif"}, "c.gif", {"b.gif", "a.gif"}},
      {"nothing recorded, nothing offered", {}, "", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(unusedServerImages(c.serverImages, c.text), c.expected) << c.why;
  }
}

TEST(FindLocalImagesTest, ListsDriveAndFileAddressesOnceInTextOrder) {
  struct Case {
    const char* why;
    std::string text;
    Names expected;
  } cases[] = {
      {"the same image twice is listed once",
       R"(<IMG src="C:\x\a.jpg"><img src="C:\x\a.jpg">)",
       {R"(C:\x\a.jpg)"}},
      {"same name in two folders: both",
       R"(<img src="C:\x\a.jpg"><img src="C:\y\a.jpg">)",
       {R"(C:\x\a.jpg)", R"(C:\y\a.jpg)"}},
      {"file:// before a drive path is not part of the entry",
       R"(<img src="file://D:\img\p.png">)",
       {R"(D:\img\p.png)"}},
      {"with and without file:// is one entry",
       R"(<img src="C:\x\a.jpg"><img src="file://C:\x\a.jpg">)",
       {R"(C:\x\a.jpg)"}},
      {"a lower-case drive letter", R"(<img src="c:\p.png">)", {R"(c:\p.png)"}},
      {"forward slashes are no drive path", R"(<img src="C:/img/p.png">)", {}},
      {"single quotes are not listed", R"(<img src='C:\img\p.png'>)", {}},
      {"a value ending in a backslash does not end there", R"(<img src="C:\a\">)", {}},
      {"a POSIX file address is listed by its path",
       R"(<img src="file:///home/u/p.png">)",
       {"/home/u/p.png"}},
      {"the file:// prefix in any case", R"(<IMG SRC="FILE:///home/u/p.png">)", {"/home/u/p.png"}},
      {"percent-escapes stay as written",
       R"(<img src="file:///home/u/my%20pic.png">)",
       {"/home/u/my%20pic.png"}},
      {"a bare path is a server address", R"(<img src="/home/u/p.png">)", {}},
      {"a file address with a host is not local", R"(<img src="file://srv/u/p.png">)", {}},
      {"a folder is not an image", R"(<img src="file:///home/u/">)", {}},
      {"both forms in text order, each once",
       R"(<img src="file:///b.png"><img src="C:\a.png"><img src="file:///b.png">)",
       {"/b.png", R"(C:\a.png)"}},
      {"server images are not local", R"(<img src="http://h/t/contents/a.gif">)", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findLocalImages(c.text), c.expected) << c.why;
  }
}

TEST(RewriteImageSourceTest, ReplacesEveryReferenceWithTheServerAddress) {
  struct Case {
    const char* why;
    std::string text;
    std::string path;
    std::string expected;
  } cases[] = {
      {"the whole value, file:// included", R"(<img src="file://D:\img\p.png">)", R"(D:\img\p.png)",
       R"(<img src="http://h/t/contents/p.png">)"},
      {"with and without file://: no file:// is left",
       R"(<img src="C:\x\a.jpg"><img src="file://C:\x\a.jpg">)", R"(C:\x\a.jpg)",
       R"(<img src="http://h/t/contents/a.jpg"><img src="http://h/t/contents/a.jpg">)"},
      {"the file name goes in unencoded", R"(<img src="C:\x\my pic.jpg">)", R"(C:\x\my pic.jpg)",
       R"(<img src="http://h/t/contents/my pic.jpg">)"},
      {"a '.' in the path matches only itself", R"(C:\x\aXjpg C:\x\a.jpg)", R"(C:\x\a.jpg)",
       R"(C:\x\aXjpg http://h/t/contents/a.jpg)"},
      {"other paths stay", R"(<img src="C:\y\b.jpg">)", R"(C:\x\a.jpg)",
       R"(<img src="C:\y\b.jpg">)"},
      {"a POSIX file address, file:// included", R"(<img src="file:///home/u/p.png">)",
       "/home/u/p.png", R"(<img src="http://h/t/contents/p.png">)"},
      {"a bare path stays a server address while the file address is rewritten",
       R"(<img src="file:///home/u/p.png"><a href="/home/u/p.png">)", "/home/u/p.png",
       R"(<img src="http://h/t/contents/p.png"><a href="/home/u/p.png">)"},
      {"the prefix in any case", R"(<img src="File:///home/u/p.png">)", "/home/u/p.png",
       R"(<img src="http://h/t/contents/p.png">)"},
      {"the name is decoded, as the server stores it", R"(<img src="file:///home/u/my%20pic.png">)",
       "/home/u/my%20pic.png", R"(<img src="http://h/t/contents/my pic.png">)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RewriteImageSource(c.text, c.path, kContents), c.expected) << c.why;
  }
}

TEST(RewriteImageSourceTest, TwoFoldersWithTheSameNameEndAtOneAddress) {
  std::string text = R"(<img src="C:\x\a.jpg"><img src="file://C:\y\a.jpg">)";
  for (const Names paths = findLocalImages(text); const std::string& path : paths) {
    text = RewriteImageSource(text, path, kContents);
  }
  EXPECT_EQ(text, R"(<img src="http://h/t/contents/a.jpg"><img src="http://h/t/contents/a.jpg">)");
}

TEST(ImagePatternErrorsTest, PatternBytesInAddressesAndPathsMatchThemselves) {
  EXPECT_EQ(findServerImages(R"(<img src="http://h/t(/contents/a.gif">)", "http://h/t(/contents/"),
            (Names{"a.gif"}));
  EXPECT_EQ(findServerImages(R"(<img src="http://h/[t/contents/a.gif">)", "http://h/[t/contents/"),
            (Names{"a.gif"}));
  EXPECT_EQ(RewriteImageSource(R"(C:\a(b\p.png)", R"(C:\a(b\p.png)", kContents),
            "http://h/t/contents/p.png");
  EXPECT_EQ(RewriteImageSource("file:///a[b/p.png", "/a[b/p.png", kContents),
            "http://h/t/contents/p.png");
}

}  // namespace
}  // namespace pellora::images
