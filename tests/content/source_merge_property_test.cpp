// Random bodies in a legacy spelling whose engine form is known, edited at
// random: the unedited merge gives the source back, every merge reads as the
// edited serialization, and untouched paragraphs keep their bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "content/html_entities.h"
#include "content/html_tokens.h"
#include "content/source_merge.h"

namespace pellora::content {
namespace {

// Characters with more than one spelling: {engine form, legacy spellings...}.
const std::vector<std::vector<std::string>> kSymbols = {
    {"&amp;", "&amp;", "&AMP;", "&#38;"},     {"&lt;", "&lt;", "&#60;"},
    {"&nbsp;", "&nbsp;", "\xa0", "&#160;"},   {"\xe9", "&eacute;", "\xe9", "&eacute"},
    {"\x96", "&ndash;", "&#150;", "&#8211;"}, {"&#322;", "&#x142;", "&#322;"},
};
const std::vector<std::string> kWords = {"alpha", "beta", " ", "gamma", " ", "delta"};

struct Run {
  bool bold = false;
  std::vector<int> parts;  // >= 0: a word, < 0: symbol -1 - n
};
using Text = std::vector<Run>;
enum class Kind { P, Ul, Table };
struct Block {
  Kind kind = Kind::P;
  std::string cls;
  std::vector<Text> items;  // P: one; Ul: the items; Table: two cells a row
  bool separator = false;
};
using Body = std::vector<Block>;

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}
  int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

  Text text() {
    Text t;
    for (int r = 0, runs = 1 + pick(3); r < runs; ++r) {
      Run run{r % 2 == 1, {}};
      for (int p = 0, n = 1 + pick(4); p < n; ++p) {
        run.parts.push_back(pick(4) == 0 ? -1 - pick(static_cast<int>(kSymbols.size()))
                                         : pick(static_cast<int>(kWords.size())));
      }
      t.push_back(run);
    }
    return t;
  }
  Block block() {
    Block b{
        static_cast<Kind>(pick(3)), pick(2) ? "c" + std::to_string(pick(9)) : "", {}, pick(2) == 0};
    for (int i = 0, n = b.kind == Kind::P ? 1 : 2 * (1 + pick(2)); i < n; ++i)
      b.items.push_back(text());
    return b;
  }
  Body body() {
    Body body;
    for (int i = 0, n = 1 + pick(7); i < n; ++i) body.push_back(block());
    return body;
  }

  // The tag as the engine writes it, or in a random legacy letter case.
  std::string tag(const std::string& name, bool legacy) {
    std::string out = name;
    if (legacy && pick(2)) {
      for (char& c : out) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    return out;
  }

  std::string text(const Text& t, bool legacy) {
    std::string out;
    for (const Run& run : t) {
      if (run.bold) out += "<" + tag("b", legacy) + ">";
      for (int part : run.parts) {
        if (part >= 0) {
          out += kWords[static_cast<std::size_t>(part)];
          continue;
        }
        const auto& spellings = kSymbols[static_cast<std::size_t>(-1 - part)];
        out += legacy ? spellings[1 + static_cast<std::size_t>(
                                          pick(static_cast<int>(spellings.size()) - 1))]
                      : spellings[0];
      }
      if (run.bold) out += "</" + tag("b", legacy) + ">";
    }
    return out;
  }

  std::string serialize(const Body& body, bool legacy,
                        std::vector<std::string>* paragraphs = nullptr) {
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
      const Block& b = body[i];
      const bool nextClosesP = i + 1 == body.size() || body[i + 1].kind != Kind::Table;
      const bool omit = legacy && pick(2) == 0;
      if (b.kind == Kind::P) {
        std::string open = "<" + tag("p", legacy);
        if (!b.cls.empty())
          open += legacy ? (pick(2) ? " CLASS=" + b.cls : " class='" + b.cls + "'")
                         : " class=\"" + b.cls + "\"";
        open += ">" + text(b.items[0], legacy);
        if (paragraphs) paragraphs->push_back(open);
        out += open;
        if (!(omit && nextClosesP && !b.separator)) out += "</" + tag("p", legacy) + ">";
      } else if (b.kind == Kind::Ul) {
        out += "<" + tag("ul", legacy) + ">";
        for (const Text& item : b.items) {
          out += "<" + tag("li", legacy) + ">" + text(item, legacy);
          if (!(legacy && pick(2))) out += "</" + tag("li", legacy) + ">";
        }
        out += "</" + tag("ul", legacy) + ">";
      } else {
        const bool tbody = !legacy || pick(2);
        out += "<" + tag("table", legacy) + ">" + (tbody ? "<" + tag("tbody", legacy) + ">" : "");
        for (std::size_t c = 0; c < b.items.size(); ++c) {
          if (c % 2 == 0) out += "<" + tag("tr", legacy) + ">";
          out += "<" + tag("td", legacy) + ">" + text(b.items[c], legacy);
          if (!(legacy && pick(2))) out += "</" + tag("td", legacy) + ">";
          if (c % 2 == 1 && !(legacy && pick(2))) out += "</" + tag("tr", legacy) + ">";
        }
        out += (tbody ? "</" + tag("tbody", legacy) + ">" : "") + "</" + tag("table", legacy) + ">";
      }
      if (b.separator) out += legacy ? "\r\n" : "\n";
    }
    return out;
  }

  // One random edit; returns the index of the block it touched (in `body`
  // before the edit).
  std::size_t edit(Body& body) {
    const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(body.size())));
    Block& b = body[at];
    Text& t = b.items[static_cast<std::size_t>(pick(static_cast<int>(b.items.size())))];
    Run& run = t[static_cast<std::size_t>(pick(static_cast<int>(t.size())))];
    switch (pick(7)) {
      case 0:
        run.parts[0] = 0;
        run.parts.insert(run.parts.begin(), 2);
        break;  // a word replaced
      case 1:
        run.bold = true;
        break;  // wrapped in <b>
      case 2:
        if (body.size() > 1) body.erase(body.begin() + static_cast<std::ptrdiff_t>(at));
        break;
      case 3:
        body.insert(body.begin() + static_cast<std::ptrdiff_t>(at), block());
        break;
      case 4:
        if (b.items.size() > 2) b.items.erase(b.items.end() - 2, b.items.end());
        break;
      case 5:
        b.separator = !b.separator;  // top-level text after the block
        break;
      default:
        b.cls = "changed";
        break;
    }
    return at;
  }

 private:
  std::mt19937 rng_;
};

// The document a body stands for, spelt one way: names in lower case, values
// and text decoded, end tags the parser implies written out, tbody dropped.
std::u32string canonical(std::string_view html) {
  std::u32string out;
  bool p = false, li = false, td = false, tr = false;
  auto close = [&](bool& open, const char32_t* endTag) {
    if (open) out += endTag;
    open = false;
  };
  for (const HtmlToken& token : TokenizeHtml(html)) {
    const std::string& n = token.name;
    if (token.kind == HtmlTokenKind::Text) {
      AppendHtmlCodePoints(token.raw, ReferenceContext::Text, out);
    } else if (token.kind == HtmlTokenKind::StartTag && n != "tbody") {
      if (n == "p" || n == "ul" || n == "table") close(p, U"</p>");
      if (n == "li") close(li, U"</li>");
      if (n == "td" || n == "tr") close(td, U"</td>");
      if (n == "tr") close(tr, U"</tr>");
      out += U"<" + std::u32string(n.begin(), n.end());
      for (const HtmlAttribute& a : token.attributes) {
        out += U" " + std::u32string(a.name.begin(), a.name.end()) + U"=\"";
        AppendHtmlCodePoints(a.value, ReferenceContext::Attribute, out);
        out += U"\"";
      }
      out += U">";
      if (n == "p") p = true;
      if (n == "li") li = true;
      if (n == "td") td = true;
      if (n == "tr") tr = true;
    } else if (token.kind == HtmlTokenKind::EndTag && n != "tbody") {
      if (n == "ul") close(li, U"</li>");
      if (n == "table" || n == "tr") close(td, U"</td>");
      if (n == "table") close(tr, U"</tr>");
      bool* open = n == "p" ? &p : n == "li" ? &li : n == "td" ? &td : n == "tr" ? &tr : nullptr;
      if (open) {
        close(*open, (U"</" + std::u32string(n.begin(), n.end()) + U">").c_str());
      } else {
        out += U"</" + std::u32string(n.begin(), n.end()) + U">";
      }
    }
  }
  close(p, U"</p>");
  return out;
}

TEST(SourceMergePropertyTest, RandomLegacyBodiesAndEdits) {
  for (unsigned seed = 1; seed <= 600; ++seed) {
    SCOPED_TRACE(seed);
    Generator g(seed);
    Body body = g.body();
    std::vector<std::string> paragraphs;
    const std::string source = g.serialize(body, true, &paragraphs);
    const std::string engineFirst = g.serialize(body, false);
    ASSERT_EQ(canonical(source), canonical(engineFirst));
    const SourceMergeBase base(source, engineFirst);
    ASSERT_EQ(base.merge(engineFirst, MergeGranularity::Tokens).body, source);

    Body edited = body;
    const int edits = 1 + g.pick(2);
    const std::size_t touched = g.edit(edited);
    if (edits > 1) g.edit(edited);
    const std::string engineNow = g.serialize(edited, false);
    for (MergeGranularity granularity :
         {MergeGranularity::Tokens, MergeGranularity::TopLevelBlocks}) {
      const MergeResult merged = base.merge(engineNow, granularity);
      EXPECT_EQ(canonical(merged.body), canonical(engineNow)) << source << "\n"
                                                              << engineNow << "\n"
                                                              << merged.body;
      if (granularity != MergeGranularity::Tokens || edits > 1) continue;
      std::size_t paragraph = 0;
      for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i].kind != Kind::P) continue;
        const std::string& kept = paragraphs[paragraph++];
        if (i != touched) {
          EXPECT_NE(merged.body.find(kept), std::string::npos) << kept << "\n"
                                                               << source << "\n"
                                                               << engineNow << "\n"
                                                               << merged.body;
        }
      }
    }
  }
}

}  // namespace
}  // namespace pellora::content
