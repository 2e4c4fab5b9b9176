// ExtractBody and the server-image scan on generated documents of 100 KB,
// 1 MB and 10 MB, next to PCRE2 (interpreter, no JIT) running the same
// lazy patterns; and an unclosed body with 100 000 ">" in 1 MB. Beside them
// the source merge of a 1 MB legacy body with one edit, its base, and the
// tokenizing it is measured against.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "content/extract_body.h"
#include "content/html_tokens.h"
#include "content/pattern_matcher.h"
#include "content/source_merge.h"

namespace {

using pellora::content::NormalizeTags;
using pellora::content::PatternMatcher;
using pellora::content::TrimControl;

const std::string kContentsUrl = "http://cms.example.com/site/contents/";
const std::string kHead =
    "<HTML><HEAD>\r\n<META content=\"Pellora\" name=GENERATOR></HEAD>\r\n<BODY "
    "bgColor=\"#ffffff\">";
const std::string kTail = "</BODY></HTML>";
const std::string kImagePattern = "<img[^>]+src=\"(" + kContentsUrl + "([^/]+))\"";

// Body markup as the visual view produces it: paragraphs of words with
// inline tags, lists, tables, links and images (server and local ones).
std::string makeBody(std::size_t size, unsigned seed) {
  static const char* const kWords[] = {"content",   "editor", "Tessaron", "page", "image",
                                       "table",     "server", "the",      "and",  "with",
                                       "Überblick", "save",   "load",     "view", "text"};
  std::mt19937 rng(seed);
  std::string body;
  int image = 0;
  while (body.size() < size) {
    switch (rng() % 8) {
      case 0:
        body += "<TABLE border=1><TBODY><TR><TD>cell</TD><TD>cell</TD></TR></TBODY></TABLE>\r\n";
        break;
      case 1:
        body += "<UL><LI>one</LI><LI>two</LI></UL>\r\n";
        break;
      case 2:
        body += "<P><IMG alt=\"picture " + std::to_string(image) + "\" src=\"" + kContentsUrl +
                "img" + std::to_string(image) + ".png\" width=120></P>\r\n";
        ++image;
        break;
      case 3:
        body += "<P><IMG src=\"file://C:\\Pictures\\photo" + std::to_string(image++) +
                ".jpg\"></P>\r\n";
        break;
      default: {
        body += "<P>";
        const int words = 20 + static_cast<int>(rng() % 40);
        for (int w = 0; w < words; ++w) {
          const int kind = static_cast<int>(rng() % 12);
          const std::string word = kWords[rng() % 15];
          if (kind == 0) {
            body += "<STRONG>" + word + "</STRONG> ";
          } else if (kind == 1) {
            body += "<EM>" + word + "</EM> ";
          } else if (kind == 2) {
            body += "<A href=\"http://example.com/" + word + "\">" + word + "</A> ";
          } else {
            body += word + " ";
          }
        }
        body += "</P>\r\n";
      }
    }
  }
  return body;
}

std::string makeDocument(std::size_t size) {
  return kHead + makeBody(size - kHead.size() - kTail.size(), 42) + kTail;
}

// An opening body tag, no closing one, 100 000 ">" in 1 MB.
std::string makeUnclosed() {
  std::string doc = kHead;
  std::mt19937 rng(7);
  const std::size_t size = 1 << 20;
  const int brackets = 100000 - 3;  // the head holds three
  const std::size_t stride = (size - doc.size()) / brackets;
  while (doc.size() < size) {
    std::string chunk(stride - 1, 'x');
    for (char& c : chunk) c = static_cast<char>('a' + rng() % 26);
    doc += chunk;
    doc += '>';
  }
  return doc;
}

const std::string& document(std::size_t size) {
  static std::vector<std::pair<std::size_t, std::string>> cache;
  for (const auto& [s, d] : cache) {
    if (s == size) return d;
  }
  cache.emplace_back(size, makeDocument(size));
  return cache.back().second;
}

struct Pcre2 {
  enum class Limits { Default, Unlimited };

  Pcre2(const std::string& pattern, uint32_t options, Limits limits = Limits::Unlimited) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                             &error, &offset, nullptr));
    if (!code) throw std::runtime_error("pcre2_compile");
    data.reset(pcre2_match_data_create_from_pattern(code.get(), nullptr));
    // The default limits stop a lazy scan over a few megabytes; the
    // comparison needs the interpreter to run to the end.
    context.reset(pcre2_match_context_create(nullptr));
    if (limits == Limits::Unlimited) {
      pcre2_set_match_limit(context.get(), UINT32_MAX);
      pcre2_set_depth_limit(context.get(), UINT32_MAX);
      pcre2_set_heap_limit(context.get(), UINT32_MAX);
    }
  }
  // Returns the match count (>0), or the PCRE2 error (<=0).
  int match(const std::string& subject, std::size_t from) {
    return pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                       from, 0, data.get(), context.get());
  }
  std::string group(const std::string& subject, int n) const {
    const PCRE2_SIZE* v = pcre2_get_ovector_pointer(data.get());
    return subject.substr(v[2 * n], v[2 * n + 1] - v[2 * n]);
  }
  PCRE2_SIZE end() const { return pcre2_get_ovector_pointer(data.get())[1]; }
  PCRE2_SIZE start() const { return pcre2_get_ovector_pointer(data.get())[0]; }

  struct CodeFree {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
  };
  struct DataFree {
    void operator()(pcre2_match_data* d) const { pcre2_match_data_free(d); }
  };
  struct ContextFree {
    void operator()(pcre2_match_context* c) const { pcre2_match_context_free(c); }
  };
  std::unique_ptr<pcre2_code, CodeFree> code;
  std::unique_ptr<pcre2_match_data, DataFree> data;
  std::unique_ptr<pcre2_match_context, ContextFree> context;
};

// ExtractBody with PCRE2 doing the match; the rest as in the product.
std::string pcre2ExtractBody(Pcre2& re, const std::string& html) {
  const int rc = re.match(html, 0);
  if (rc < 0 && rc != PCRE2_ERROR_NOMATCH)
    throw std::runtime_error("PCRE2 error " + std::to_string(rc));
  std::string text = rc > 0 ? re.group(html, 1) : html;
  return TrimControl(NormalizeTags(text));
}

void BM_ExtractBody(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pellora::content::ExtractBody(doc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_ExtractBodyPcre2(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  Pcre2 re("<body.*?>(.*?)</body>", PCRE2_CASELESS | PCRE2_DOTALL);
  for (auto _ : state) benchmark::DoNotOptimize(pcre2ExtractBody(re, doc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

// The body pattern alone, engine against engine.
void BM_BodyMatch(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    PatternMatcher m;
    m.setCaseInsensitive(true);
    m.setGreedy(false);
    m.setPattern("<body.*>(.*)</body>");
    if (!m.Exec(doc)) state.SkipWithError("no match");
    benchmark::DoNotOptimize(m.matchLen(1));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_BodyMatchPcre2(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  Pcre2 re("<body.*?>(.*?)</body>", PCRE2_CASELESS | PCRE2_DOTALL);
  for (auto _ : state) {
    if (re.match(doc, 0) <= 0) state.SkipWithError("no match");
    benchmark::DoNotOptimize(re.end());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_ImageScan(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  std::size_t found = 0;
  for (auto _ : state) {
    PatternMatcher m;
    m.setCaseInsensitive(true);
    m.setGreedy(false);
    m.setPattern(kImagePattern);
    std::vector<std::string> names;
    for (bool hit = m.Exec(doc); hit; hit = m.ExecNext()) names.push_back(m.match(2));
    found = names.size();
    benchmark::DoNotOptimize(names);
  }
  state.counters["images"] = static_cast<double>(found);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_ImageScanPcre2(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  std::string lazy = "<img[^>]+?src=\"(" + kContentsUrl + "([^/]+?))\"";
  Pcre2 re(lazy, PCRE2_CASELESS | PCRE2_DOTALL);
  std::size_t found = 0;
  for (auto _ : state) {
    std::vector<std::string> names;
    std::size_t from = 0;
    while (re.match(doc, from) > 0) {
      names.push_back(re.group(doc, 2));
      from = re.end() > re.start() ? re.end() : re.end() + 1;
    }
    found = names.size();
    benchmark::DoNotOptimize(names);
  }
  state.counters["images"] = static_cast<double>(found);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_ExtractBodyUnclosed(benchmark::State& state) {
  static const std::string doc = makeUnclosed();
  for (auto _ : state) benchmark::DoNotOptimize(pellora::content::ExtractBody(doc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

// Quadratic for a backtracker without memo: PCRE2 is run with its default
// limits and reports where it gives up.
void BM_ExtractBodyUnclosedPcre2(benchmark::State& state) {
  static const std::string doc = makeUnclosed();
  Pcre2 re("<body.*?>(.*?)</body>", PCRE2_CASELESS | PCRE2_DOTALL, Pcre2::Limits::Default);
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(pcre2ExtractBody(re, doc));
    } catch (const std::exception& e) {
      state.SkipWithError(e.what());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

// The generated body as the engine serializes it: lower-case names, quoted
// values, LF line ends (its values and text hold nothing to escape).
std::string engineForm(const std::string& body) {
  std::string out;
  for (const pellora::content::HtmlToken& token : pellora::content::TokenizeHtml(body)) {
    if (token.kind == pellora::content::HtmlTokenKind::StartTag) {
      out += "<" + token.name;
      for (const auto& attribute : token.attributes) {
        out += " " + attribute.name + "=\"" + std::string(attribute.value) + "\"";
      }
      out += ">";
    } else if (token.kind == pellora::content::HtmlTokenKind::EndTag) {
      out += "</" + token.name + ">";
    } else {
      for (char c : token.raw) {
        if (c != '\r') out += c;
      }
    }
  }
  return out;
}

struct MergeCase {
  std::string source;
  std::string engineFirst;
  std::string engineNow;  // one word in the middle changed
};

const MergeCase& mergeCase(std::size_t size) {
  static std::vector<std::pair<std::size_t, MergeCase>> cache;
  for (const auto& [s, c] : cache) {
    if (s == size) return c;
  }
  MergeCase c;
  c.source = makeBody(size, 42);
  c.engineFirst = engineForm(c.source);
  c.engineNow = c.engineFirst;
  const std::size_t word = c.engineNow.find("editor", c.engineNow.size() / 2);
  c.engineNow.replace(word, 6, "EDITED");
  cache.emplace_back(size, std::move(c));
  return cache.back().second;
}

void BM_SourceMerge(benchmark::State& state) {
  const MergeCase& c = mergeCase(static_cast<std::size_t>(state.range(0)));
  const pellora::content::SourceMergeBase base(c.source, c.engineFirst);
  std::size_t kept = 0;
  for (auto _ : state) {
    const auto merged = base.merge(c.engineNow, pellora::content::MergeGranularity::Tokens);
    kept = merged.preservedBytes;
    benchmark::DoNotOptimize(merged.body.data());
  }
  state.counters["kept"] = static_cast<double>(kept) / static_cast<double>(c.source.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.source.size()));
}

// Built once per load: both texts scanned and keyed, then aligned.
void BM_SourceMergeBase(benchmark::State& state) {
  const MergeCase& c = mergeCase(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const pellora::content::SourceMergeBase base(c.source, c.engineFirst);
    benchmark::DoNotOptimize(&base);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.source.size()));
}

void BM_TokenizeHtml(benchmark::State& state) {
  const MergeCase& c = mergeCase(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pellora::content::TokenizeHtml(c.engineNow));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.engineNow.size()));
}

constexpr int64_t kSizes[] = {100 << 10, 1 << 20, 10 << 20};

void sizes(benchmark::internal::Benchmark* b) {
  for (int64_t size : kSizes) b->Arg(size);
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ExtractBody)->Apply(sizes);
BENCHMARK(BM_ExtractBodyPcre2)->Apply(sizes);
BENCHMARK(BM_BodyMatch)->Apply(sizes);
BENCHMARK(BM_BodyMatchPcre2)->Apply(sizes);
BENCHMARK(BM_ImageScan)->Apply(sizes);
BENCHMARK(BM_ImageScanPcre2)->Apply(sizes);
BENCHMARK(BM_SourceMerge)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SourceMergeBase)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TokenizeHtml)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractBodyUnclosed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractBodyUnclosedPcre2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
