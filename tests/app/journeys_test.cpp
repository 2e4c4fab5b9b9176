// Whole tasks as a user does them, each one script for the host program with
// the real module, WebKit and tessaron-server: type in both views, format,
// use the context menus, build a table, change the settings and read the
// German interface. Each journey ends with a save and compares the stored
// item byte for byte (Windows-1252).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host_run.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

class JourneyTest : public test::DemoHostTest {};

TEST_F(JourneyTest, TypeInBothViewsUndoInTheHtmlViewAndSwitchBetweenThem) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string output =
      run("caret Welt end\n"
          "type \" und Grüße\"\n"
          "key BackSpace\n"
          "key BackSpace\n"
          "type \"ße €\"\n"
          "select Hallo\n"
          "type Servus\n"
          "select und\n"
          "key ctrl+c\n"
          "caret € end\n"
          "key ctrl+v\n"
          "tab 1\n"
          "source\n"
          "caret Servus start in html\n"
          "type <b>\n"
          "caret Servus end in html\n"
          "type \"</i>\"\n"
          "key ctrl+z\n"
          "type \"</b>!\"\n"
          "select Welt in html\n"
          "key Delete\n"
          "tab 0\n"
          "wait\n"
          "caret € start\n"
          "key Return\n"
          "body\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "source", "<p>Servus Welt und Grüße €und</p>"))
      << "the HTML view shows what was typed in the visual view";
  EXPECT_NE(
      output.find("<body bgcolor=\"#ffffff\"><p><b>Servus</b>!  und Grüße&nbsp;</p><p>€und</p>"
                  "</body>"),
      std::string::npos)
      << "the visual view shows what was typed in the HTML view";
  EXPECT_EQ(readFile(item()),
            "<p><b>Servus</b>!  und Gr\xFC\xDF"
            "e&nbsp;</p><p>\x80und</p>");
}

TEST_F(JourneyTest, FormatWithTheToolBarsAndTheStyleList) {
  writeFile(item(), "<p>Eins zwei drei</p>\n<p>vier f\xFCnf sechs</p>");
  const std::string output =
      run("state btnBold\n"
          "select zwei\n"
          "click btnBold\n"
          "click btnItalic\n"
          "state btnBold\n"
          "select drei\n"
          "click btnUnderline\n"
          "caret vier start\n"
          "choose cmbStyles \"Heading 1\"\n"
          "state cmbStyles\n"
          "caret sechs end\n"
          "click btnAlCenter\n"
          "select fünf\n"
          "click btnDelete\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "state btnBold", "  btnBold: up, enabled"));
  EXPECT_NE(output.find("  btnBold: down, enabled"), std::string::npos) << "the toggle follows";
  EXPECT_TRUE(shows(output, "state cmbStyles", "  cmbStyles: up, enabled, \"Heading 1\""));
  EXPECT_EQ(readFile(item()),
            "<p>Eins <b><i>zwei</i></b> <u>drei</u></p>\n"
            "<h1 style=\"text-align: center;\">vier &nbsp;sechs</h1>");
}

TEST_F(JourneyTest, EditThroughTheContextMenusOfBothViews) {
  writeFile(item(), "<p>Rot Gelb Blau</p>");
  const std::string output =
      run("select Gelb\n"
          "menu Cut\n"
          "caret Blau end\n"
          "type \" \"\n"
          "menu Paste\n"
          "select Rot\n"
          "menu Copy\n"
          "menu Delete\n"
          "menu Undo\n"
          "tab 1\n"
          "caret Blau start in html\n"
          "menu Paste\n"
          "select Gelb in html\n"
          "menu Cut\n"
          "caret Rot end in html\n"
          "menu Paste\n"
          "source\n"
          "tab 0\n"
          "wait\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "source", "<p>RotGelb &nbsp;RotBlau </p>"));
  EXPECT_EQ(readFile(item()), "<p>RotGelb &nbsp;RotBlau </p>");
}

TEST_F(JourneyTest, BuildATableThroughTheDialogAndTheTableButtons) {
  writeFile(item(), "<p>Vorher</p>\n<p>Nachher</p>");
  const std::string output =
      run("state btnTableInsRow\n"
          "caret Vorher end\n"
          "set edRows 2\n"
          "set edCols 2\n"
          "fill Border: 1\n"
          "set edWidth \"\"\n"
          "answer OK\n"
          "click btnTable\n"
          "type B2\n"
          "state btnTableInsRow\n"
          "click btnTableInsRow\n"
          "click btnTableInsCol\n"
          "click btnTableInsCol\n"
          "click btnTableDelCol\n"
          "type X\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(output, "state btnTableInsRow", "  btnTableInsRow: up, disabled"));
  EXPECT_NE(output.find("  btnTableInsRow: up, enabled"), std::string::npos)
      << "enabled with the caret in a cell";
  EXPECT_EQ(readFile(item()),
            // Typing starts in the first cell. The row goes above the
            // caret's, the columns left of it; the column deleted is the
            // caret's own (with B2), and the caret goes to the cell that
            // takes its place.
            "<p>Vorher</p><table border=\"1\"><tbody>"
            "<tr><td><br></td><td><br></td><td><br></td></tr>"
            "<tr><td><br></td><td><br></td><td>X</td></tr>"
            "<tr><td><br></td><td><br></td><td><br></td></tr></tbody></table>\n<p>Nachher</p>");
}

TEST_F(JourneyTest, ChooseGermanAndAProxyThenWorkInTheGermanInterface) {
  writeFile(item(), "<p>Hallo Welt</p>");
  const std::string first =
      run("check cbProxy on\n"
          "set edProxy proxy.example\n"
          "fill Port: 3128\n"
          "answer rbDE\n"
          "answer OK\n"
          "click btnOptions\n"
          "answer OK\n"
          "click btnAbout\n"
          "hint btnBold\n"
          // Loading through that proxy would need one: turn it off again.
          "check cbProxy off\n"
          "answer OK\n"
          "click btnOptions\n");
  SCOPED_TRACE(first);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(first.find("  | Die ge\xC3\xA4nderten Spracheinstellungen"), std::string::npos)
      << "the note speaks the language just chosen";
  EXPECT_NE(first.find("  [AboutFormWindow] About Pellora\n"), std::string::npos);
  EXPECT_TRUE(shows(first, "hint btnBold", "  btnBold: Bold (Ctrl+B)")) << "German only after a restart";
  EXPECT_EQ(readFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg"),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"
            "\"ProxyHost\"=\"proxy.example\"\n"
            "\"ProxyPort\"=\"3128\"\n"
            "\"Proxy\"=\"0\"\n"
            "\"Language\"=\"DE\"\n\n");

  const std::string second =
      run("hint btnBold\n"
          "answer OK\n"
          "click btnAbout\n"
          "select Welt\n"
          "menu Ausschneiden\n"
          "caret Hallo start\n"
          "menu Einfügen\n"
          "Save\n");
  SCOPED_TRACE(second);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(shows(second, "hint btnBold", "  btnBold: Fett (Strg+B)"));
  EXPECT_NE(second.find("  [AboutFormWindow] Info \xC3\xBC"
                        "ber Pellora\n"),
            std::string::npos);
  EXPECT_EQ(readFile(item()), "<p>WeltHallo&nbsp;</p>");
}

TEST_F(JourneyTest, StepsThatCannotActFailSayWhyAndTheRunGoesOn) {
  writeFile(item(), "<p>Hallo M\xFCnchen</p>");
  const std::string output =
      run("select Berlin\n"
          "select München\n"
          "menu Nirgends\n"
          "choose cmbStyles Nirgends\n"
          "click btnAbout\n"
          "select München\n"
          "click btnBold\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 1) << "a failed step fails the run";
  EXPECT_TRUE(shows(output, "select Berlin", "  \"Berlin\" is not in the visual view"));
  EXPECT_TRUE(shows(output, "select München", "> menu Nirgends")) << "a Unicode word is found";
  // Spelling suggestions for the selected word may stand above the entries.
  const std::size_t listed = output.find("\"Nirgends\" is not in the menu; its entries:\n");
  EXPECT_NE(listed, std::string::npos);
  EXPECT_NE(output.find("\n    Undo\n    Cut\n", listed), std::string::npos);
  EXPECT_NE(output.find("cmbStyles has no item \"Nirgends\"; it offers: Address,"),
            std::string::npos);
  EXPECT_NE(output.find("  [AboutFormWindow] still open after 10 s: closed by its frame\n"),
            std::string::npos)
      << "an unanswered window is closed, and its step fails";
  EXPECT_EQ(readFile(item()), "<p>Hallo <b>M\xFCnchen</b></p>") << "the steps after went on";
}

}  // namespace
}  // namespace pellora
