// The author's bytes through the real engine: server script and comments
// shown as chips and handed out as loaded, a chip copied and pasted keeps
// its block, and random edits of a legacy body come out parsing to exactly
// what the view shows, untouched paragraphs in their loaded spelling.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <random>
#include <string>

#include "content/extract_body.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/key_stroke.h"
#include "platform/gtk/surface_window_fixture.h"
#include "ui/editing_surface.h"

namespace pellora::gtk {
namespace {

class WebKitSurfaceSourceTest : public engine_test::SurfaceWindowTest {
 protected:
  WebKitSurfaceSourceTest() : SurfaceWindowTest(640, 400) {}

  // The body the surface hands out in its whole document.
  std::string handedOut() { return content::ExtractBody(surface_->DocumentHTML()); }

  // `text` parsed by the engine as a body's contents and serialised.
  std::string engineFormOf(const std::string& text) {
    return fromWidgetText(eval("pellora.reparse(" + jsString(toWidgetText(text)) + ")"));
  }

  std::string awaitBodyWith(const std::string& shows, std::size_t times) {
    const auto count = [&] {
      const std::string now = body();
      std::size_t n = 0;
      for (std::size_t at = now.find(shows); at != std::string::npos; at = now.find(shows, at + 1))
        ++n;
      return n;
    };
    bool expired = false;
    const guint guard = g_timeout_add_seconds(
        60, [](gpointer flag) { return *static_cast<bool*>(flag) = true, G_SOURCE_REMOVE; },
        &expired);
    engine_test::runUntil([&] { return expired || count() >= times; });
    if (!expired) g_source_remove(guard);
    EXPECT_FALSE(expired) << "the paste did not arrive; the body is " << body();
    return body();
  }
};

TEST_F(WebKitSurfaceSourceTest, ServerScriptAndCommentsShowAsChipsAndLeaveAsLoaded) {
  const std::string loaded =
      "<!-- Kopf -->\n<P class=x>Heute <?php echo date(\"d.m.Y\"); ?> &ndash; ok</P>\n"
      "<a href=\"<?php echo \"/x\" ?>\">l</a><table><!-- rows --><tr><td><% n %></td></tr></table>";
  load(loaded);
  EXPECT_EQ(eval("Array.from(document.querySelectorAll('.pellora-chip')).map(c => c.textContent + "
                 "':' + c.title).join('|')"),
            "Comment:<!-- Kopf -->|PHP:<?php echo date(\"d.m.Y\"); ?>|ASP:<% n %>")
      << "a comment between table rows stays a comment, and no chip for an attribute";
  EXPECT_EQ(handedOut(), loaded);
  EXPECT_NE(body().find("<p class=\"x\">Heute <?php echo date(\"d.m.Y\"); ?> \x96 ok</p>"),
            std::string::npos)
      << "the engine's body, blocks restored: " << body();
  EXPECT_EQ(surface_->sourceFallbacksForTesting(), 0u);

  // A chip goes as one piece and comes back with one undo.
  eval(
      "(function(){const c=document.querySelectorAll('.pellora-chip')[1];const r="
      "document.createRange();r.selectNode(c);getSelection().removeAllRanges();"
      "getSelection().addRange(r);})()");
  surface_->ExecCommand(ui::DECMD_DELETE, ui::OLECMDEXECOPT_DODEFAULT, {});
  EXPECT_EQ(handedOut().find("date("), std::string::npos) << handedOut();
  surface_->ExecCommand(ui::DECMD_UNDO, ui::OLECMDEXECOPT_DODEFAULT, {});
  EXPECT_EQ(handedOut(), loaded);
}

TEST_F(WebKitSurfaceSourceTest, AChipCopiedAndPastedKeepsItsBlock) {
  load("<p>vor <?php echo $a; ?> nach</p><p>Ziel</p>");
  eval(
      "(function(){const p=document.body.firstChild;const r=document.createRange();"
      "r.setStart(p.firstChild,0);r.setEnd(p.lastChild,5);getSelection().removeAllRanges();"
      "getSelection().addRange(r);})()");
  surface_->ExecCommand(ui::DECMD_COPY, ui::OLECMDEXECOPT_DODEFAULT, {});
  selectText("Ziel");
  const auto stroke = parseKeyStroke("ctrl+v");
  ASSERT_TRUE(stroke && sendKeyStroke(surface_->widget(), *stroke));
  const std::string pasted = awaitBodyWith("<?php echo $a; ?>", 2);
  EXPECT_EQ(pasted.find("Ziel"), std::string::npos) << pasted;
  EXPECT_EQ(eval("document.querySelectorAll('.pellora-chip').length"), "2");
}

// Random edits as the page makes them (typing, formatting, lists, removed
// and inserted blocks, attributes) of a body in an older editor's spelling:
// what is handed out parses, as a whole, to exactly what the view shows,
// and the block no edit touches keeps its bytes.
TEST_F(WebKitSurfaceSourceTest, RandomEditsOfALegacyBodyComeOutAsTheViewShowsThem) {
  const std::string kept = "<P class=keep>Anfang &ndash; fest";
  std::string legacy = kept + "\r\n";
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i);
    legacy += "<P align=center>Absatz " + n + " mit <I>kursiv</I> &amp; mehr\r\n" + "<H2>Titel " +
              n + "</H2><!-- Notiz " + n + " -->\r\n<UL><LI>eins<LI>zwei " + n +
              "</UL>\r\n<TABLE border=1><TR><TD>a " + n + "<TD>b</TABLE>\r\n<DIV id=d" + n +
              ">Block <B>fett</B> " + n + "</DIV>\r\n<P>Ende " + n + "</P>\r\n";
  }
  legacy += "<P>Schluss";
  // One random edit of a block after the first, by the page's own means.
  const std::string edit =
      "(function(seed){let x=seed;const r=()=>{x=(x*1103515245+12345)%2147483648;return x;};"
      "const blocks=Array.from(document.body.children).slice(1);"
      "const b=blocks[r()%blocks.length];"
      "const w=document.createTreeWalker(b,NodeFilter.SHOW_TEXT);const texts=[];let t;"
      "while((t=w.nextNode()))if(t.data.trim())texts.push(t);"
      "const text=texts.length?texts[r()%texts.length]:null;"
      "const select=(n,a,z)=>{const g=document.createRange();g.setStart(n,a);g.setEnd(n,z);"
      "getSelection().removeAllRanges();getSelection().addRange(g);};"
      "switch(r()%7){"
      "case 0:if(text){select(text,1,1);document.execCommand('insertText',false,'Xy');}break;"
      "case 1:if(text){select(text,0,Math.min(3,text.data.length));"
      "document.execCommand('bold');}break;"
      "case 2:if(text){select(text,0,0);pellora.exec('insertOrderedList');}break;"
      "case 3:b.remove();break;"
      "case 4:{const p=document.createElement('p');p.textContent='neu';b.after(p);}break;"
      "case 5:b.setAttribute('class','c'+seed);break;"
      "case 6:if(text){select(text,0,text.data.length);document.execCommand('delete');}break;}"
      "return true;})";
  for (int seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    load(legacy);
    for (int step = 0; step < 1 + seed % 3; ++step) {
      eval(edit + "(" + std::to_string(seed * 7 + step) + ")");
    }
    const std::string out = handedOut();
    EXPECT_TRUE(engineFormOf(out) == body()) << "handed out:\n" << out << "\nshown:\n" << body();
    EXPECT_EQ(out.substr(0, kept.size()), kept) << surface_->sourceFallbacksForTesting() << "\n"
                                                << out;
    if (HasFailure()) break;
  }
  RecordProperty("fallbacks", static_cast<int>(surface_->sourceFallbacksForTesting()));
}

}  // namespace
}  // namespace pellora::gtk
