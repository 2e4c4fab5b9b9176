// Pasted images kept as files: in a folder only the user may enter, named
// by their bytes, refused beyond the limits or when they are no image, and
// addressed so the image transfer reads the same file back.
#include "images/pasted_images.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "image_test_support.h"
#include "images/image_patterns.h"
#include "images/local_image.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;
using images::PastedImages;
using Refusal = PastedImages::Kept::Refusal;

TEST(PastedImagesTest, EachImageIsKeptOnceInAPrivateFolderAndReadBackFromItsAddress) {
  test::TempDir home;
  const fs::path folder = home.path() / "my cache" / "pellora";
  PastedImages kept(folder);
  const std::string png = test::pngBytes("one");
  const struct Row {
    const char* what;
    std::string bytes, name;
    Refusal refusal;
    std::string fileName;  // "" when refused
  } rows[] = {
      {"clipboard data gets a name of its kind", png, "", Refusal::None, "pasted-*.png"},
      {"the same bytes again are the same file", png, "", Refusal::None, "pasted-*.png"},
      {"a dropped file keeps its name", test::pngBytes("two"), "Ansicht Süd.png", Refusal::None,
       "Ansicht Süd.png"},
      {"a folder in the name is dropped", test::pngBytes("three"), "../../x.png", Refusal::None,
       "x.png"},
      {"text is no image", "just text", "notes.png", Refusal::NotAnImage, ""},
      {"too large", test::pngBytes(std::string(PastedImages::kMostBytes, 'x')), "",
       Refusal::TooLarge, ""},
  };
  std::string firstAddress;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const PastedImages::Kept result = kept.keep(row.bytes, row.name);
    EXPECT_EQ(result.refusal, row.refusal) << result.why;
    if (row.fileName.empty()) {
      EXPECT_EQ(result.address, "");
      continue;
    }
    // Listed as the transfer lists it, the address leads back to the bytes.
    const auto listed = images::findLocalImages("<img src=\"" + result.address + "\">");
    ASSERT_EQ(listed.size(), 1u) << result.address;
    EXPECT_EQ(images::readListedImage(listed[0]), row.bytes);
    const fs::path file = *images::fileSystemPath(listed[0]);
    EXPECT_EQ(file.parent_path().parent_path().parent_path(), folder);
    if (row.fileName.find('*') != std::string::npos) {
      EXPECT_EQ(file.filename().string().rfind("pasted-", 0), 0u);
      EXPECT_EQ(file.extension(), ".png");
      if (firstAddress.empty()) firstAddress = result.address;
      EXPECT_EQ(result.address, firstAddress);
    } else {
      EXPECT_EQ(file.filename().string(), row.fileName);
    }
    for (const fs::path& dir : {folder, file.parent_path().parent_path(), file.parent_path()}) {
      EXPECT_EQ(fs::status(dir).permissions() & fs::perms::all, fs::perms::owner_all) << dir;
    }
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
  }
}

TEST(PastedImagesTest, BeyondTheCountEveryImageIsRefused) {
  test::TempDir home;
  PastedImages kept(home.path() / "pellora");
  for (std::size_t i = 0; i < PastedImages::kMostImages; ++i) {
    ASSERT_EQ(kept.keep(test::pngBytes(std::to_string(i)), "").refusal, Refusal::None) << i;
  }
  EXPECT_EQ(kept.keep(test::pngBytes("one more"), "").refusal, Refusal::TooMany);
}

#ifndef _WIN32
// The folder rules of the freedesktop.org systems.
TEST(PastedImagesTest, TheFolderFollowsXdgCacheHomeOrHome) {
  const struct Row {
    const char *cache, *home, *expected;
  } rows[] = {
      {"/c", "/h", "/c/pellora"},
      {"relative", "/h", "/h/.cache/pellora"},
      {nullptr, "/h", "/h/.cache/pellora"},
      {nullptr, nullptr, nullptr},
  };
  const std::string savedCache = getenv("XDG_CACHE_HOME") ? getenv("XDG_CACHE_HOME") : "";
  const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
  for (const Row& row : rows) {
    row.cache ? setenv("XDG_CACHE_HOME", row.cache, 1) : unsetenv("XDG_CACHE_HOME");
    row.home ? setenv("HOME", row.home, 1) : unsetenv("HOME");
    const auto folder = images::pastedImageFolder();
    EXPECT_EQ(folder ? folder->string() : "", row.expected ? row.expected : "");
  }
  savedCache.empty() ? unsetenv("XDG_CACHE_HOME") : setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
  savedHome.empty() ? unsetenv("HOME") : setenv("HOME", savedHome.c_str(), 1);
}
#endif

TEST(PastedImagesTest, AnImageWithATemporaryAddressIsFound) {
  const struct Row {
    std::string text;
    const char* expected;  // null: none
  } rows[] = {
      {"<IMG alt=x SRC=\"blob:http://h/1\">", "blob:"},
      {"<img src='data:image/png;base64,AA'>", "data:"},
      {"<p>data: blob:</p><img src=\"/contents/data.png\">", nullptr},
      {"<a href=\"data:x\">x</a>", nullptr},
  };
  for (const Row& row : rows) {
    const auto found = images::findTemporaryImage(row.text);
    EXPECT_EQ(found.value_or(""), row.expected ? row.expected : "") << row.text;
  }
}

}  // namespace
}  // namespace pellora
