// Local image paths: forms, decoding and reading the files.
#include "images/local_image.h"

#include <gtest/gtest.h>

#include "image_test_support.h"

namespace pellora::images {
namespace {

TEST(PercentDecodeTest, DecodesOnlyCompleteEscapes) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"a%20b", "a b"},
      {"%2e%2E", ".."},
      {"%zz", "%zz"},
      {"100%", "100%"},
      {"%4", "%4"},
      {"%%41", "%A"},
      {"%00x", std::string("\0x", 2)},
      {"plain", "plain"},
      {"%C3%BC", "\xC3\xBC"},
  };
  for (const auto& c : cases) EXPECT_EQ(percentDecode(c.in), c.out) << c.in;
}

TEST(LocalPathTest, DriveFormsNameFilesOnlyOnWindowsAndKeepTheirName) {
  EXPECT_EQ(localPathForm(R"(C:\x\a%20b.jpg)"), LocalPathForm::Drive);
  // Taken as written there: a drive path is no file address.
  EXPECT_EQ(
      fileSystemPath("C:\\x\\a%20b\xE9.jpg"),
      driveFormIsLocal() ? std::optional<std::string>("C:\\x\\a%20b\xC3\xA9.jpg") : std::nullopt);
  EXPECT_EQ(uploadFileName(R"(C:\x\a%20b.jpg)"), R"(C:\x\a%20b.jpg)");
}

TEST(LocalPathTest, PosixPathsAreDecodedForTheFileAndItsName) {
  EXPECT_EQ(localPathForm("/home/u/p.png"), LocalPathForm::Posix);
  EXPECT_EQ(uploadFileName("/home/u/my%20pic.png"), "/home/u/my pic.png");
  EXPECT_EQ(fileSystemPath("/home/u/my%20pic.png"), "/home/u/my pic.png");
  // Typed characters are Windows-1252 text; escaped bytes are taken as they are.
  EXPECT_EQ(fileSystemPath("/u/K\xFC"
                           "che%C3%BC.png"),
            "/u/K\xC3\xBC"
            "che\xC3\xBC.png");
}

TEST(ReadRegularFileTest, ReadsWholeFilesAndRefusesWhatIsNoFile) {
  test::ImageDir dir;
  const std::string bytes("GIF89a\0\x01\xFF\r\n", 11);
  EXPECT_EQ(readRegularFile(dir.write("p.gif", bytes)), bytes);
  EXPECT_EQ(readRegularFile(dir.write("empty.png", "")), std::string());
  const std::string large(200000, 'x');
  EXPECT_EQ(readRegularFile(dir.write("large.png", large)), large);
  EXPECT_EQ(readRegularFile(dir.path() + "/missing.png"), std::nullopt);
  EXPECT_EQ(readRegularFile(dir.path()), std::nullopt) << "a folder";
  EXPECT_EQ(readRegularFile("/dev/null"), std::nullopt) << "a device";
  EXPECT_EQ(readRegularFile(dir.write("p2.gif", "x") + std::string("\0junk", 5)), std::nullopt);
}

}  // namespace
}  // namespace pellora::images
