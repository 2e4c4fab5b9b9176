// What the user did not touch is stored byte for byte: items as authors and
// older editors wrote them (upper-case tags, unquoted attributes, entities,
// tables without tbody, CR LF, server script, comments) are loaded and saved
// through the host with the real module, WebKit, GtkSourceView and
// tessaron-server, and the stored bytes compared; one edit changes only the
// bytes of what it edited.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "content/extract_body.h"
#include "content/line_ends.h"
#include "exchange/document_template.h"
#include "host_run.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

// Windows-1252 bodies, each a mix an author's item may hold.
const struct {
  const char* what;
  std::string body;
} kCorpus[] = {
    {"legacy markup, entities, lists and a table without tbody",
     "<H1 ALIGN=center>Gr\xFC\xDF"
     "e</H1>\r\n<P class=intro>Hallo <FONT color=red>Welt</FONT> &ndash; &amp; &nbsp;&euro; "
     "&#8364; &copy; caf&eacute; \x84quoted\x93</P>\r\n"
     "<UL><LI>eins<LI>zwei</UL>\r\n<OL start=3><LI>drei</LI></OL>\r\n"
     "<TABLE border=0 cellPadding=2 width=\"100%\">\r\n<TR><TD>a<TD>b\r\n<TR><TD colspan=2>"
     "<TABLE><TR><TH>inner</TABLE></TABLE>\r\n<P>Ende<BR>neu<br/>zeile</P>"},
    {"server script in text and attributes, comments and conditional comments",
     "<!-- Kopf: nicht anfassen -->\n<p>Heute ist <?php echo date(\"d.m.Y\"); ?>.</p>\n"
     "<p><a href=\"<?php echo $base . \"/x\"; ?>\" title='<%= t %>'>Link</a></p>\n"
     "<% Response.Write(x) %>\n<!--[if IE]><p>Alt</p><![endif]-->\n"
     "<table><!-- Zeilen --><tr><td><?= $n ?></td></tr></table>\n<p>nach</p>"},
    {"long lines, line breaks inside tags, attribute order and quoting, images",
     std::string("<p\n   style='color: blue'   id=x   class=\"a\">") + std::string(3000, 'w') +
         " " + std::string(3000, 'v') +
         "</p>\n<IMG SRC=\"logo.png\" ALT=Logo WIDTH=48 HEIGHT=24>\n<div><p>in div</div>\n"
         "<p>trailing</p>   \n"},
};

// The body the host sends for an untouched item: the document's body as
// the fixed tag rewriting and trimming leave it, with LF line ends.
std::string storedFor(const std::string& body) {
  return content::ReduceCrLf(content::ExtractBody(wrapInDocumentTemplate(body)));
}

class RoundTripJourneyTest : public test::DemoHostTest {};

TEST_F(RoundTripJourneyTest, UntouchedItemsAreStoredAsLoadedFromEitherView) {
  std::vector<std::pair<std::string, std::string>> corpus = {
      {"the demo's own sample",
       readFile(std::filesystem::path(PELLORA_DEMO_DIR) / "contents" / "Sample 1.html")}};
  for (const auto& entry : kCorpus) corpus.emplace_back(entry.what, entry.body);
  for (const auto& [what, body] : corpus) {
    const struct {
      const char* what;
      std::string body;
    } item_{what.c_str(), body};
    for (const char* view : {"visual", "HTML"}) {
      SCOPED_TRACE(std::string(item_.what) + ", saved from the " + view + " view");
      writeFile(item(), item_.body);
      const std::string steps =
          std::string(view) == "HTML" ? "tab 1\nwindow\nSave\n" : "window\nSave\n";
      const std::string output = run(steps);
      SCOPED_TRACE(output);
      EXPECT_EQ(exitCode, 0);
      EXPECT_EQ(readFile(item()), storedFor(item_.body));
      EXPECT_EQ(output.find("\xE2\x80\xA2 Sample 1"), std::string::npos)
          << "no unsaved mark for an untouched item";
    }
  }
}

TEST_F(RoundTripJourneyTest, OneEditChangesOnlyTheBytesOfWhatItEdited) {
  const std::string& body = kCorpus[0].body;
  const struct {
    const char* what;
    const char* steps;
    std::string from, to;  // the only difference the save may make
  } edits[] = {
      {"a word made bold", "select Welt\nclick btnBold\n", "<FONT color=red>Welt</FONT>",
       "<FONT color=red><b>Welt</b></FONT>"},
      {"typed in a cell", "caret inner end\ntype X\n", "<TH>inner", "<TH>innerX"},
  };
  for (const auto& edit : edits) {
    SCOPED_TRACE(edit.what);
    writeFile(item(), body);
    const std::string output = run(std::string(edit.steps) + "Save\n");
    SCOPED_TRACE(output);
    std::string expected = storedFor(body);
    const std::size_t at = expected.find(edit.from);
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, std::string(edit.from).size(), edit.to);
    EXPECT_EQ(readFile(item()), expected);
  }
}

// Edited in the HTML view, then in the visual view after the switch back:
// each edit changes its own bytes, the rest stays as the author wrote it.
TEST_F(RoundTripJourneyTest, EditsInBothViewsKeepTheRestOfTheItem) {
  const std::string& body = kCorpus[0].body;
  writeFile(item(), body);
  const std::string output =
      run("tab 1\n"
          "caret zwei end in html\n"
          "type \" drei\"\n"
          "tab 0\n"
          "wait\n"
          "select Ende\n"
          "click btnItalic\n"
          "tab 1\n"
          "tab 0\n"
          "wait\n"
          "Save\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  std::string expected = storedFor(body);
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"<LI>zwei", "<LI>zwei drei"},
                                 {"<P>Ende<BR>", "<P><i>Ende</i><BR>"}}) {
    const std::size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  }
  EXPECT_EQ(readFile(item()), expected);
}

}  // namespace
}  // namespace pellora
