#include "content/paste_cleanup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/office_clipboard_samples.h"

namespace pellora::content {
namespace {

// The source's line breaks between tags removed, other runs of blanks made
// one space, so the structure can be compared without its layout.
std::string squeezed(const std::string& html) {
  std::string out;
  bool blank = false;
  bool lineBreak = false;
  for (char c : html) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      blank = true;
      lineBreak = lineBreak || c == '\n';
      continue;
    }
    const bool besideTag = out.empty() || out.back() == '>' || c == '<';
    const bool betweenTags = !out.empty() && out.back() == '>' && c == '<';
    if (blank && !out.empty() && !(besideTag && (lineBreak || betweenTags))) out += ' ';
    blank = lineBreak = false;
    out += c;
  }
  return out;
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

constexpr PasteOptions kKeepStyles{};
constexpr PasteOptions kNoStyle{true, false};
constexpr PasteOptions kNoFont{false, true};

// The noise every office sample must lose, whatever the options.
const std::vector<std::string> kOfficeNoise = {"mso-",
                                               "Mso",
                                               "<o:",
                                               "</o:",
                                               "<!--",
                                               "<![",
                                               "-->",
                                               "StartFragment",
                                               "EndFragment",
                                               "<meta",
                                               "<style",
                                               "<xml",
                                               "<w:",
                                               "<title",
                                               "<link",
                                               "<head",
                                               "<html",
                                               "<body",
                                               "xmlns",
                                               "x:num",
                                               "xl65",
                                               "docs-internal-guid",
                                               "Apple-interchange",
                                               "lang=",
                                               "class=\"western",
                                               "aria-",
                                               "role=",
                                               "dir=\"ltr",
                                               "font-weight",
                                               "_GoBack",
                                               "@page"};

struct SampleRow {
  const char* what;
  const char* sample;
  PasteOptions options;
  std::vector<std::string> present;  // in the squeezed result
  std::vector<std::string> absent;
};

TEST(PasteCleanupTest, OfficeSamplesKeepStructureAndLoseNoise) {
  const SampleRow rows[] = {
      {"Word: heading, marks, link, lists from list paragraphs, table",
       test::kWordClipboard,
       kKeepStyles,
       {"<h1>Quarterly report</h1>",
        "<p>Sales rose by <b>twelve percent</b>, <i>mostly</i> in "
        "the <u>north</u>. See <a href=\"https://example.com/report?year=2026&amp;q=3\">the full "
        "report</a>.</p>",
        "<p>&nbsp;</p>", "<ul><li>Berlin<ul><li>Mitte</li></ul></li><li>Hamburg</li></ul>",
        "<ol><li>Plan</li><li>Build</li></ol>",
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"0\" style=\"border-collapse: "
        "collapse; border: none\"><tr><td width=\"302\" valign=\"top\"",
        "<b>City</b>", "<b>Sales</b>", "<p align=\"right\"", "color: #C00000", "1.200",
        "font-size: 14.0pt", "Thanks</span></p>"},
       {"·", "Symbol", "Courier New", "7.0pt", "supportLists", "o&nbsp;", "1.&nbsp;", "text-indent",
        "tab-interval", "Normale Tabelle"}},
      {"Word without styles: no style left, structure the same",
       test::kWordClipboard,
       kNoStyle,
       {"<h1>Quarterly report</h1>", "<ul><li>Berlin<ul><li>Mitte</li></ul></li>",
        "<ol><li>Plan</li><li>Build</li></ol>",
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"0\"><tr><td width=\"302\" "
        "valign=\"top\"><p><b>City</b></p></td>",
        "<p align=\"right\">1.200</p>", "<p>Thanks</p>"},
       {"style=", "class=", "<span"}},
      {"Word without fonts: face, size and colour go, other style stays",
       test::kWordClipboard,
       kNoFont,
       {"<p align=\"right\" style=\"margin-bottom: 0cm; text-align: right\">1.200</p>",
        "<p><span style=\"line-height: 107%\">Thanks</span></p>"},
       {"font-family", "font-size", "color:", "<font"}},
      {"LibreOffice: heading, marks, list, link, table; language spans go",
       test::kLibreOfficeClipboard,
       kKeepStyles,
       {"<h2>Einladung</h2>", "<b>Freitag</b>", "<font color=\"#c9211e\">", "<i><u>Saal 3</u></i>",
        "<ul><li><p style=\"margin-bottom: 0cm; line-height: 100%\">",
        "<a href=\"https://example.org/kuchen\">", "<col width=\"128*\"><col width=\"128*\">",
        "<tr valign=\"top\"><td width=\"50%\"", "Name", "Zeit"},
       {"so-language", "size=\"3\"", "<span"}},
      {"LibreOffice without fonts: its font wrappers go",
       test::kLibreOfficeClipboard,
       kNoFont,
       {"<p style=\"line-height: 100%; margin-bottom: 0cm\">Wir treffen uns am <b>Freitag</b> "
        "im <i><u>Saal 3</u></i>.</p>",
        "<li><p style=\"margin-bottom: 0cm; line-height: 100%\"><a "
        "href=\"https://example.org/kuchen\">Kuchen</a></p></li>",
        "<p align=\"left\">Name</p>"},
       {"<font", "Liberation", "font-size", "c9211e"}},
      {"LibreOffice without styles: fonts are kept as elements, styles go",
       test::kLibreOfficeClipboard,
       kNoStyle,
       {"<h2>Einladung</h2>", "<ul><li><p><font face=\"Liberation Serif, serif\">Kaffee</font>"},
       {"style=", "class="}},
      {"Google Docs: styled spans become marks, the not-bold wrapper goes",
       test::kGoogleDocsClipboard,
       kKeepStyles,
       {"<h1 style=\"line-height: 1.38; margin-top: 20pt; margin-bottom: 6pt\"><span "
        "style=\"font-size: 20pt; font-family: Arial,sans-serif; white-space: pre; white-space: "
        "pre-wrap\">Meeting notes</span></h1>",
        "<span style=\"font-size: 11pt; font-family: Arial,sans-serif; color: #1155cc; "
        "white-space: pre; white-space: pre-wrap\"><u>the plan</u></span>",
        "<b>Decided:</b>", "<i>Monday</i>", "<u>the plan</u></span></a>",
        "<colgroup><col width=\"120\"><col width=\"120\"></colgroup>"},
       {"background-color: transparent", "color: #000000", "text-decoration", "font-style",
        "vertical-align: "
        "baseline",
        "font-variant", "skip"}},
      {"Google Docs without styles: only structure and marks",
       test::kGoogleDocsClipboard,
       kNoStyle,
       {"<h1>Meeting notes</h1><p><b>Decided:</b> ship on <i>Monday</i>, details in <a "
        "href=\"https://docs.example.com/d/abc/edit\"><u>the plan</u></a></p>",
        "<ul><li><p>Tests</p></li><li><p><u>Docs</u></p></li></ul><br>",
        "<div align=\"left\"><table><colgroup><col width=\"120\"><col "
        "width=\"120\"></colgroup><tbody><tr><td><p>Owner</p></td><td><p><sup>Kim</sup></p></"
        "td></tr></tbody></table></div>"},
       {"style=", "<span", "<b><h1>"}},
      {"Word as the engine gives it: lists from class and indent, computed style gone",
       test::kWordAsTheEngineGivesIt,
       kKeepStyles,
       {"<h1>Report</h1>",
        "<p style=\"margin-top: 0cm; font-size: 11pt; font-family: Calibri, "
        "sans-serif\">Sales rose by <b>twelve percent</b>.</p>",
        "<ul><li>Berlin<ul><li>Mitte</li></ul></li><li>Hamburg</li></ul>",
        "<ol><li>Plan</li><li>Build</li></ol>",
        "<p style=\"margin-left: 36pt\">Not a list item</p>"},
       {"·", "Symbol", "Times New Roman", "caret-color", "-webkit", "orphans", "widows",
        "text-indent", "word-spacing", "font-kerning", "Apple-converted-space"}},
      {"Excel: the range as a table, cell classes and number attributes go",
       test::kExcelClipboard,
       kNoStyle,
       {"<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"215\"><col "
        "width=\"131\"><col width=\"84\"><tr height=\"20\"><td height=\"20\" "
        "width=\"131\">Product</td><td width=\"84\">Units</td></tr>",
        "<tr height=\"20\"><td height=\"20\">Bolts &amp; nuts</td><td "
        "align=\"right\">1200</td></tr>",
        "<td align=\"right\">42,5</td></tr></table>"},
       {"class=", "style="}},
      {"Excel with styles: sizes stay, Excel's own declarations go",
       test::kExcelClipboard,
       kKeepStyles,
       {"<col width=\"131\" style=\"width: 98pt\">",
        "<td height=\"20\" width=\"131\" style=\"height: 15.0pt; width: 98pt\">Product</td>"},
       {"mso-width", "userset"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string cleaned = CleanPastedHtml(row.sample, row.options);
    const std::string result = squeezed(cleaned);
    for (const std::string& part : row.present)
      EXPECT_NE(result.find(part), std::string::npos) << "missing " << part << "\nin " << result;
    for (const std::string& part : kOfficeNoise)
      EXPECT_EQ(cleaned.find(part), std::string::npos) << "kept " << part << "\nin " << result;
    for (const std::string& part : row.absent)
      EXPECT_EQ(cleaned.find(part), std::string::npos) << "kept " << part << "\nin " << result;
    // Every element opened is closed again.
    for (const char* tag : {"p", "b", "i", "u", "ul", "ol", "li", "table", "tr", "td", "a", "span",
                            "font", "h1", "h2"}) {
      EXPECT_EQ(count(cleaned, std::string("<") + tag + ">") +
                    count(cleaned, std::string("<") + tag + " "),
                count(cleaned, std::string("</") + tag + ">"))
          << tag << " in " << result;
    }
  }
}

struct Row {
  const char* what;
  std::string html;
  PasteOptions options;
  std::string expected;
};

TEST(PasteCleanupTest, SmallCases) {
  const Row rows[] = {
      {"plain text stays", "a & b", kKeepStyles, "a & b"},
      {"a lone angle bracket becomes text", "1 < 2 <3", kKeepStyles, "1 &lt; 2 &lt;3"},
      {"scripts, frames and forms go with their contents",
       "<p>x<script>alert('<p>')</script><iframe src=a>y</iframe><textarea><b>t</textarea>z</p>",
       kKeepStyles, "<p>xz</p>"},
      {"event handlers go", "<p onclick=\"x()\" onmouseover=y>a</p>", kKeepStyles, "<p>a</p>"},
      {"script and entity-hidden addresses go, others stay",
       "<a href=\" javascript:x()\">a</a><a href=\"JaVaScRiPt:x\">b</a>"
       "<a href=\"javascript&#58;x\">c</a><a href=\"/page?a=1&amp;b=2\">d</a>"
       "<img src=\"data:text/html,x\"><img src=\"data:image/png;base64,AA==\">",
       kKeepStyles,
       "abc<a href=\"/page?a=1&amp;b=2\">d</a><img><img src=\"data:image/png;base64,AA==\">"},
      {"quotes inside values are kept escaped",
       "<p title='say \"hi\"' style='font-family:\"Times New Roman\"'>a</p>", kKeepStyles,
       "<p title=\"say &quot;hi&quot;\" style=\"font-family: &quot;Times New Roman&quot;\">a</p>"},
      {"angle brackets in values are escaped", "<p title=\"<!-- <script>\">a</p>", kKeepStyles,
       "<p title=\"&lt;!-- &lt;script&gt;\">a</p>"},
      {"a semicolon inside an encoded quote does not split the declaration",
       "<span style=\"font-family:&quot;Segoe UI&quot;;font-weight:bold\">a</span>", kKeepStyles,
       "<span style=\"font-family: &quot;Segoe UI&quot;\"><b>a</b></span>"},
      {"misnested marks are closed in order", "<b>a<i>b</b>c</i>", kKeepStyles,
       "<b>a<i>b</i></b>c"},
      {"unclosed elements are closed at the end", "<p><b>a<u>b", kKeepStyles,
       "<p><b>a<u>b</u></b></p>"},
      {"end tags without a start are ignored", "</p></b>a</td>", kKeepStyles, "a"},
      {"a paragraph closes the open one", "<p>a<p>b<ul><li>c</ul>", kKeepStyles,
       "<p>a</p><p>b</p><ul><li>c</li></ul>"},
      {"a head without end closes at the body",
       "<html><head><title>t</title><meta x><body><p>a</p>", kKeepStyles, "<p>a</p>"},
      {"a tag cut off at the end is dropped", "<p>a</p><b class=\"x", kKeepStyles, "<p>a</p>"},
      {"a comment cut off at the end is dropped", "a<!-- b", kKeepStyles, "a"},
      {"downlevel-revealed content stays, conditional comments go",
       "<!--[if gte vml 1]><v:shape><v:imagedata src=\"x.png\"/></v:shape><![endif]-->"
       "<![if !vml]><img src=\"file:///C:/x.png\" width=20><![endif]>",
       kKeepStyles, "<img src=\"file:///C:/x.png\" width=\"20\">"},
      {"unknown and namespaced elements are unwrapped",
       "<section><st1:place>Bonn</st1:place> <marquee>m</marquee></section>", kKeepStyles,
       "Bonn m"},
      {"office classes go, other classes stay",
       "<p class=\"MsoNormal note xl70 western\">a</p><td class=xl65>b</td>", kKeepStyles,
       "<p class=\"note\">a</p><td>b</td>"},
      {"without styles no class stays", "<p class=\"note\" style=\"color:red\">a</p>", kNoStyle,
       "<p>a</p>"},
      {"a span of weight 600 is bold, of weight 400 nothing",
       "<span style=\"font-weight:600\">a</span><span style=\"font-weight:400\">b</span>",
       kKeepStyles, "<b>a</b>b"},
      {"a span's underline and strike-through together",
       "<span style=\"text-decoration:underline line-through\">a</span>", kKeepStyles,
       "<u><s>a</s></u>"},
      {"a paragraph keeps its own bold declaration",
       "<p style=\"font-weight:bold;font-style:italic\">a</p>", kKeepStyles,
       "<p style=\"font-weight: bold; font-style: italic\">a</p>"},
      {"Word list items at an odd level start at the next one",
       "<p style='mso-list:l0 level3 lfo1'><![if !supportLists]>a)<![endif]>x</p>"
       "<p style='mso-list:l0 level1 lfo1'><![if !supportLists]>b)<![endif]>y</p><p>z</p>",
       kKeepStyles, "<ol><li>x</li><li>y</li></ol><p>z</p>"},
      {"a Word list ends with its enclosing element",
       "<div><p style='mso-list:l2 level1 lfo3'><![if !supportLists]>-<![endif]>x</p></div>y",
       kKeepStyles, "<div><ul><li>x</li></ul></div>y"},
      {"a list paragraph without a marker is a bullet", "<p style='mso-list:l0 level1 lfo1'>x</p>",
       kKeepStyles, "<ul><li>x</li></ul>"},
      {"the default font size says nothing",
       "<font size=3 face=Arial>a</font><font size=3>b</font>", kKeepStyles,
       "<font face=\"Arial\">a</font>b"},
      {"right to left is kept", "<p dir=rtl>a</p><p dir=ltr>b</p>", kKeepStyles,
       "<p dir=\"rtl\">a</p><p>b</p>"},
      {"nothing at all", "", kKeepStyles, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(CleanPastedHtml(row.html, row.options), row.expected);
  }
}

TEST(PasteCleanupTest, DeepAndLongInputStayWellFormed) {
  // Nesting far deeper than any document, unclosed; each level must close.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<b><span style=\"font-style:italic\">";
  deep += "x";
  const std::string cleaned = CleanPastedHtml(deep, kKeepStyles);
  EXPECT_EQ(count(cleaned, "<b>"), 100000u);
  EXPECT_EQ(count(cleaned, "</b>"), 100000u);
  EXPECT_EQ(count(cleaned, "<i>"), 100000u);
  EXPECT_EQ(count(cleaned, "</i>"), 100000u);

  // Many end tags with nothing open, and an open element they never match.
  std::string unmatched = "<p>";
  for (int i = 0; i < 100000; ++i) unmatched += "</b></i>";
  EXPECT_EQ(CleanPastedHtml(unmatched, kKeepStyles), "<p></p>");
}

TEST(PasteCleanupTest, OptionWordsAreReadLikeTheHostsOtherOptions) {
  struct OptionRow {
    const char* words;
    bool dropStyles;
    bool dropFonts;
  };
  const OptionRow rows[] = {
      {"", false, false},
      {"nostyle", true, false},
      {"nohtml,nofont", false, true},
      {"noimage nostyle nofont", true, true},
      {"NOSTYLE", false, false},  // the words are case-sensitive
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.words);
    const PasteOptions options = PasteOptionsFromWords(row.words);
    EXPECT_EQ(options.dropStyles, row.dropStyles);
    EXPECT_EQ(options.dropFonts, row.dropFonts);
  }
}

TEST(PasteCleanupTest, ShowsNothing) {
  const struct {
    const char* html;
    bool nothing;
  } rows[] = {
      {"", true},
      {" <p> &nbsp; </p>\n", true},
      {"<span></span>", true},
      {"<p>a</p>", false},
      {"<img src=x>", false},
      {"<br>", false},
      {"<table></table>", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.html);
    EXPECT_EQ(ShowsNothing(row.html), row.nothing);
  }
}

}  // namespace
}  // namespace pellora::content
