// The visual view's own image and link dialogs as a German user meets them:
// the host's script fills their fields by their German labels and by their
// names, answers them with their German buttons, and the stored item shows
// what was chosen.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_run.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

class OwnDialogsJourneyTest : public test::DemoHostTest {
 protected:
  void SetUp() override {
    DemoHostTest::SetUp();
    if (IsSkipped()) return;
    writeFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"
              "\"Language\"=\"DE\"\n\n");
  }
};

TEST_F(OwnDialogsJourneyTest, AnImageWithAltTextAndSizeAndALinkAreStored) {
  writeFile(item(), "<p>Hallo Welt</p>");
  writeFile(contents() / "bild.png", "\x89PNG\r\n\x1A\nnot shown");
  const std::string output =
      run("caret Welt end\n"
          "set edImageAddress bild.png\n"
          "fill Alternativtext: \"Ein Bild\"\n"
          "fill Breite: 40\n"
          "fill Höhe: 50%\n"
          "answer OK\n"
          "click btnImage\n"
          "select Hallo\n"
          "answer Abbrechen\n"
          "click btnLink\n"
          "fill Adresse: http://example.org/?a=1&b=2\n"
          "answer OK\n"
          "click btnLink\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(output.find("] Bild einf\xC3\xBCgen"), std::string::npos) << "the German caption";
  EXPECT_NE(output.find("] Link einf\xC3\xBCgen"), std::string::npos);
  EXPECT_EQ(readFile(item()),
            "<p><a href=\"http://example.org/?a=1&amp;b=2\">Hallo</a> Welt"
            "<img src=\"bild.png\" alt=\"Ein Bild\" width=\"40\" height=\"50%\"></p>");
}

}  // namespace
}  // namespace pellora
