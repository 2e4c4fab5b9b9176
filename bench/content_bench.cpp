// ExtractBody on generated documents of 100 KB, 1 MB and 10 MB and the
// server- and local-image scans at 1 MB, each next to PCRE2 with its JIT
// running the same patterns (written lazily, as the product runs them) with
// the rest of the work done as in the product; and an unclosed body with
// 100 000 ">" in 1 MB. Beside them the source merge of a 1 MB legacy body
// with one edit, its base, and the tokenizing it is measured against.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "content/body_scan.h"
#include "content/extract_body.h"
#include "content/html_tokens.h"
#include "content/source_merge.h"
#include "images/image_patterns.h"

namespace {

using pellora::content::NormalizeBody;

const std::string kContentsUrl = "http://cms.example.com/site/contents/";
const std::string kHead =
    "<HTML><HEAD>\r\n<META content=\"Pellora\" name=GENERATOR></HEAD>\r\n<BODY "
    "bgColor=\"#ffffff\">";
const std::string kTail = "</BODY></HTML>";

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

// A pattern compiled by PCRE2 and its JIT; a missing JIT is an error, not a
// silent fall-back to the interpreter.
struct Pcre2 {
  enum class Limits { Default, Unlimited };

  Pcre2(const std::string& pattern, uint32_t options, Limits limits = Limits::Unlimited) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                             &error, &offset, nullptr));
    if (!code) throw std::runtime_error("pcre2_compile");
    if (pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) != 0) {
      throw std::runtime_error("pcre2_jit_compile");
    }
    data.reset(pcre2_match_data_create_from_pattern(code.get(), nullptr));
    context.reset(pcre2_match_context_create(nullptr));
    // The default limits stop a lazy scan over a few megabytes; the
    // comparison needs PCRE2 to run to the end.
    if (limits == Limits::Unlimited) {
      pcre2_set_match_limit(context.get(), UINT32_MAX);
      pcre2_set_depth_limit(context.get(), UINT32_MAX);
      pcre2_set_heap_limit(context.get(), UINT32_MAX);
      stack.reset(pcre2_jit_stack_create(32 << 10, 64 << 20, nullptr));
      pcre2_jit_stack_assign(context.get(), nullptr, stack.get());
    }
  }
  // Returns the match count (>0), or the PCRE2 error (<=0).
  int match(std::string_view subject, std::size_t from) {
    return pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                       from, 0, data.get(), context.get());
  }
  std::string_view group(std::string_view subject, int n) const {
    const PCRE2_SIZE* v = pcre2_get_ovector_pointer(data.get());
    return subject.substr(v[2 * n], v[2 * n + 1] - v[2 * n]);
  }
  PCRE2_SIZE groupStart(int n) const { return pcre2_get_ovector_pointer(data.get())[2 * n]; }
  PCRE2_SIZE end() const { return pcre2_get_ovector_pointer(data.get())[1]; }
  PCRE2_SIZE start() const { return pcre2_get_ovector_pointer(data.get())[0]; }

  // Every match from the start: the start and text of group `n`.
  template <typename Each>
  void forEach(std::string_view subject, int n, Each each) {
    std::size_t from = 0;
    int rc = 0;
    while ((rc = match(subject, from)) > 0) {
      each(groupStart(n), group(subject, n));
      from = end() > start() ? end() : end() + 1;
    }
    if (rc != PCRE2_ERROR_NOMATCH) throw std::runtime_error("PCRE2 error " + std::to_string(rc));
  }

  struct CodeFree {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
  };
  struct DataFree {
    void operator()(pcre2_match_data* d) const { pcre2_match_data_free(d); }
  };
  struct ContextFree {
    void operator()(pcre2_match_context* c) const { pcre2_match_context_free(c); }
  };
  struct StackFree {
    void operator()(pcre2_jit_stack* s) const { pcre2_jit_stack_free(s); }
  };
  std::unique_ptr<pcre2_code, CodeFree> code;
  std::unique_ptr<pcre2_match_data, DataFree> data;
  std::unique_ptr<pcre2_match_context, ContextFree> context;
  std::unique_ptr<pcre2_jit_stack, StackFree> stack;
};

constexpr uint32_t kPcre2Options = PCRE2_CASELESS | PCRE2_DOTALL;
const std::string kBodyPcre2 = "<body.*?>(.*?)</body>";

// ExtractBody with PCRE2 finding the body; the rest as in the product.
std::string pcre2ExtractBody(Pcre2& re, std::string_view html) {
  const int rc = re.match(html, 0);
  if (rc < 0 && rc != PCRE2_ERROR_NOMATCH)
    throw std::runtime_error("PCRE2 error " + std::to_string(rc));
  return NormalizeBody(rc > 0 ? re.group(html, 1) : html);
}

void BM_ExtractBody(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pellora::content::ExtractBody(doc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_ExtractBodyPcre2Jit(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  Pcre2 re(kBodyPcre2, kPcre2Options);
  for (auto _ : state) benchmark::DoNotOptimize(pcre2ExtractBody(re, doc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

// Locating the body alone, without the rewriting and trimming around it.
void BM_BodyMatch(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const auto body = pellora::content::FindBodyContent(doc);
    if (!body) state.SkipWithError("no match");
    benchmark::DoNotOptimize(body);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_BodyMatchPcre2Jit(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  Pcre2 re(kBodyPcre2, kPcre2Options);
  for (auto _ : state) {
    if (re.match(doc, 0) <= 0) state.SkipWithError("no match");
    benchmark::DoNotOptimize(re.end());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_ServerImages(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  std::size_t found = 0;
  for (auto _ : state) {
    const std::vector<std::string> names = pellora::images::findServerImages(doc, kContentsUrl);
    found = names.size();
    benchmark::DoNotOptimize(names.data());
  }
  state.counters["images"] = static_cast<double>(found);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_ServerImagesPcre2Jit(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  Pcre2 re("<img[^>]+?src=\"(" + kContentsUrl + "([^/]+?))\"", kPcre2Options);
  std::size_t found = 0;
  for (auto _ : state) {
    std::vector<std::string> names;
    re.forEach(doc, 2, [&](std::size_t, std::string_view name) { names.emplace_back(name); });
    found = names.size();
    benchmark::DoNotOptimize(names.data());
  }
  state.counters["images"] = static_cast<double>(found);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_LocalImages(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  std::size_t found = 0;
  for (auto _ : state) {
    const std::vector<std::string> paths = pellora::images::findLocalImages(doc);
    found = paths.size();
    benchmark::DoNotOptimize(paths.data());
  }
  state.counters["images"] = static_cast<double>(found);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

// Both address forms, merged in text order and listed once, as the product
// lists them.
void BM_LocalImagesPcre2Jit(benchmark::State& state) {
  const std::string& doc = document(static_cast<std::size_t>(state.range(0)));
  // "?" "?" is a lazy "?", kept apart so that it reads as no trigraph.
  Pcre2 drive(
      "<img[^>]+?src=\"(file://)?"
      "?([A-Z]:\\\\.+?([^\\\\]+?))\"",
      kPcre2Options);
  Pcre2 posix("<img[^>]+?src=\"file://(/[^\"]*?[^/\"])\"", kPcre2Options);
  std::size_t found = 0;
  for (auto _ : state) {
    std::vector<std::pair<std::size_t, std::string_view>> all;
    auto keep = [&](std::size_t at, std::string_view path) { all.emplace_back(at, path); };
    drive.forEach(doc, 2, keep);
    posix.forEach(doc, 1, keep);
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> paths;
    std::unordered_set<std::string_view> listed;
    for (const auto& [at, path] : all) {
      if (listed.insert(path).second) paths.emplace_back(path);
    }
    found = paths.size();
    benchmark::DoNotOptimize(paths.data());
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
void BM_ExtractBodyUnclosedPcre2Jit(benchmark::State& state) {
  static const std::string doc = makeUnclosed();
  Pcre2 re(kBodyPcre2, kPcre2Options, Pcre2::Limits::Default);
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
BENCHMARK(BM_ExtractBodyPcre2Jit)->Apply(sizes);
BENCHMARK(BM_BodyMatch)->Apply(sizes);
BENCHMARK(BM_BodyMatchPcre2Jit)->Apply(sizes);
BENCHMARK(BM_ServerImages)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServerImagesPcre2Jit)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocalImages)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocalImagesPcre2Jit)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SourceMerge)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SourceMergeBase)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TokenizeHtml)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractBodyUnclosed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractBodyUnclosedPcre2Jit)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
