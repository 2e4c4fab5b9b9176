// The whole product as a person uses it: the host program with the real
// module, the WebKit surface and the bundled server, driven by a script of
// user steps under the display ctest runs in (xvfb-run in scripts/test).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host_run.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class EndToEndTest : public test::DemoHostTest {
 protected:
  void SetUp() override {
    DemoHostTest::SetUp();
    fs::create_directories(dir / "local");
  }
};

TEST_F(EndToEndTest, EditWithTheToolBarsAndSaveWithAnImageUpload) {
  const std::string& image = test::smallPng();
  writeFile(dir / "local" / "pic.png", image);
  const std::string local = "file://" + (dir / "local" / "pic.png").string();
  writeFile(contents() / "Sample 1.html",
            "<p>Hallo Welt und Gr\xFC\xDF"
            "e</p>\r\n<p><img src=\"" +
                local + "\"></p>");

  const std::string output =
      run("wait\n"
          "state btnBold\n"
          "select Welt\n"
          "click btnBold\n"
          "state btnBold\n"
          "tab 1\n"
          "source\n"
          "tab 0\n"
          "wait\n"
          "select und\n"
          "set edRows 3\n"
          "answer OK\n"
          "click btnTable\n"
          "answer OK\n"
          "check pic.png on\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitStatus, 0);
  EXPECT_NE(output.find("btnBold: up, enabled"), std::string::npos);
  EXPECT_NE(output.find("btnBold: down, enabled"), std::string::npos) << "the toggle follows";
  EXPECT_NE(output.find("<b>Welt</b>"), std::string::npos) << "the HTML view shows the edit";
  const auto save = output.find("> Save\n");
  ASSERT_NE(save, std::string::npos);
  EXPECT_NE(output.find("S_OK", save), std::string::npos);

  const std::string stored = readFile(contents() / "Sample 1.html");
  EXPECT_NE(stored.find("<b>Welt</b>"), std::string::npos) << stored;
  EXPECT_NE(stored.find("Gr\xFC\xDF"
                        "e"),
            std::string::npos)
      << "Windows-1252 kept";
  EXPECT_EQ(count(stored, "<tr"), 3u) << stored;
  EXPECT_EQ(count(stored, "<td"), 9u) << stored;
  EXPECT_EQ(stored.find("file://"), std::string::npos) << "local address rewritten";
  EXPECT_NE(stored.find("/tessaron/contents/pic.png\""), std::string::npos) << stored;
  EXPECT_EQ(stored.find('\r'), std::string::npos) << "LF line ends";
  EXPECT_NE(output.find("ticked " + local.substr(7) + " (came with the item)"), std::string::npos)
      << "the item's own file is marked and was ticked by the user";
  EXPECT_EQ(readFile(contents() / "pic.png"), image);
}

TEST_F(EndToEndTest, StoredGermanTurnsTheInterfaceGerman) {
  writeFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\r\n\"Language\"=\"DE\"\r\n");
  writeFile(contents() / "Sample 1.html", "<p>Text</p>");
  const std::string output = run("wait\nhint btnBold\nhint btnUndo\nhint btnTable\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitStatus, 0);
  EXPECT_NE(output.find("btnBold: Fett"), std::string::npos);
  EXPECT_NE(output.find("btnUndo: R\xC3\xBC"
                        "ckg\xC3\xA4ngig"),
            std::string::npos)
      << "UTF-8 on screen";
  EXPECT_NE(output.find("btnTable: Tabelle einf\xC3\xBCgen"), std::string::npos);
}

}  // namespace
}  // namespace pellora
