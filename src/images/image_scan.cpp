// Covered by tests/images/image_scan_test.cpp (against the pattern matcher)
// and image_patterns_test.cpp.
//
// Every pattern here is <img[^>]+src=" followed by a value. Run lazily from
// a start, the matcher tries the places for src=" from the sixth byte of the
// tag up to its first ">", in order, and takes the first whose value
// matches. A later start inside the same tag has only some of those places,
// so after a failed tag the scan goes on behind its ">". The scans for a
// tag's end and for the ends of values remember where they stopped, so a
// long stretch is read once, not once per tag or place that leads into it.
#include "images/image_scan.h"

#include <algorithm>
#include <optional>
#include <string>

#include "content/case_map.h"
#include "content/folded_search.h"

namespace pellora::images {

namespace {

using content::FindFolded;
using content::HasFoldedAt;

constexpr std::size_t npos = std::string_view::npos;

// The bytes a value reports and the closing quote right after them.
struct Span {
  std::size_t begin;
  std::size_t quote;
};

// The first position at or after a given one where `Scan` finds its stop.
// The last answer covers every start between the one it was asked for and
// the stop itself, and is reused for them.
template <typename Scan>
class NextStop {
 public:
  explicit NextStop(Scan scan) : scan_(scan) {}

  std::size_t operator()(std::size_t from) {
    if (from < from_ || from > stop_) {
      from_ = from;
      stop_ = scan_(from);
    }
    return stop_;
  }

 private:
  Scan scan_;
  std::size_t from_ = npos;
  std::size_t stop_ = npos;
};

// Where the scans stop.
struct Byte {
  std::string_view text;
  char stop;
  std::size_t operator()(std::size_t from) const { return text.find(stop, from); }
};

struct QuoteOrSlash {
  std::string_view text;
  std::size_t operator()(std::size_t from) const {
    while (from < text.size() && text[from] != '"' && text[from] != '/') ++from;
    return from < text.size() ? from : npos;
  }
};

// The first quote that follows no backslash; `from` is past the first byte.
struct QuoteAfterNoBackslash {
  std::string_view text;
  std::size_t operator()(std::size_t from) const {
    std::size_t quote = text.find('"', from);
    while (quote != npos && text[quote - 1] == '\\') quote = text.find('"', quote + 1);
    return quote;
  }
};

template <typename Value>
void scanTags(std::string_view text, Value& value, std::vector<ImageAddress>& found) {
  // Remembered, since matches ending before a far ">" would otherwise look
  // for it once each.
  NextStop<Byte> tagEnds({text, '>'});
  std::size_t from = 0;
  while (true) {
    const std::size_t tag = FindFolded(text, "<img", from);
    if (tag == npos) return;
    // [^>]+ takes one byte at least and never a ">".
    const std::size_t tagEnd = std::min(tagEnds(tag + 4), text.size());
    const std::string_view inTag = text.substr(0, tagEnd);
    std::optional<Span> hit;
    for (std::size_t src = FindFolded(inTag, "src=\"", tag + 5); src != npos && !hit;
         src = FindFolded(inTag, "src=\"", src + 1)) {
      hit = value.at(src + 5);
    }
    if (hit) {
      found.push_back({hit->begin, text.substr(hit->begin, hit->quote - hit->begin)});
      from = hit->quote + 1;
    } else if (tagEnd == text.size()) {
      return;
    } else {
      from = tagEnd + 1;
    }
  }
}

// CONTENTS([^/]+)": the name is one byte at least, then runs to the first
// quote, which no "/" may come before.
class ServerName {
 public:
  ServerName(std::string_view text, std::string_view contentsUrl)
      : text_(text), url_(contentsUrl), stops_({text}) {
    for (char c : url_) {
      urlOtherCase_ += static_cast<char>(content::otherCaseCp1252(static_cast<unsigned char>(c)));
    }
  }

  std::optional<Span> at(std::size_t value) {
    if (!urlAt(value)) return std::nullopt;
    const std::size_t name = value + url_.size();
    if (name >= text_.size() || text_[name] == '/') return std::nullopt;
    const std::size_t stop = stops_(name + 1);
    if (stop == npos || text_[stop] != '"') return std::nullopt;
    return Span{name, stop};
  }

 private:
  bool urlAt(std::size_t at) const {
    if (text_.size() - at < url_.size()) return false;
    for (std::size_t i = 0; i < url_.size(); ++i) {
      if (text_[at + i] != url_[i] && text_[at + i] != urlOtherCase_[i]) return false;
    }
    return true;
  }

  std::string_view text_;
  std::string_view url_;
  std::string urlOtherCase_;
  NextStop<QuoteOrSlash> stops_;
};

// (file://)?([A-Z]:\\.+([^\\]+))": the optional prefix is first left out.
// After "X:\" come one byte at least and one non-backslash at least, then a
// quote; the first quote from the fifth byte on that follows no backslash
// ends the path, whatever lies between.
class DrivePath {
 public:
  explicit DrivePath(std::string_view text) : text_(text), quotes_({text}) {}

  std::optional<Span> at(std::size_t value) {
    if (auto path = pathAt(value)) return path;
    if (HasFoldedAt(text_, value, "file://")) return pathAt(value + 7);
    return std::nullopt;
  }

 private:
  std::optional<Span> pathAt(std::size_t path) {
    if (text_.size() - path < 3) return std::nullopt;
    const char drive = static_cast<char>(text_[path] | 0x20);
    if (drive < 'a' || drive > 'z' || text_[path + 1] != ':' || text_[path + 2] != '\\') {
      return std::nullopt;
    }
    const std::size_t quote = quotes_(path + 5);
    if (quote == npos) return std::nullopt;
    return Span{path, quote};
  }

  std::string_view text_;
  NextStop<QuoteAfterNoBackslash> quotes_;
};

// file://(/[^"]*[^/"])": the path runs from its "/" to the first quote and
// neither ends in "/" nor is that "/" alone.
class PosixPath {
 public:
  explicit PosixPath(std::string_view text) : text_(text), quotes_({text, '"'}) {}

  std::optional<Span> at(std::size_t value) {
    if (!HasFoldedAt(text_, value, "file://")) return std::nullopt;
    const std::size_t path = value + 7;
    if (path >= text_.size() || text_[path] != '/') return std::nullopt;
    const std::size_t quote = quotes_(path + 1);
    // A quote right after the "/" follows a "/" as well.
    if (quote == npos || text_[quote - 1] == '/') return std::nullopt;
    return Span{path, quote};
  }

 private:
  std::string_view text_;
  NextStop<Byte> quotes_;
};

// The pattern matcher sees a text up to its first NUL only.
std::string_view beforeNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::vector<ImageAddress> ScanServerImages(std::string_view text, std::string_view contentsUrl) {
  text = beforeNul(text);
  ServerName name(text, contentsUrl);
  std::vector<ImageAddress> found;
  scanTags(text, name, found);
  return found;
}

std::vector<ImageAddress> ScanLocalImages(std::string_view text) {
  text = beforeNul(text);
  DrivePath drive(text);
  PosixPath posix(text);
  std::vector<ImageAddress> drivePaths;
  std::vector<ImageAddress> posixPaths;
  scanTags(text, drive, drivePaths);
  scanTags(text, posix, posixPaths);
  std::vector<ImageAddress> found(drivePaths.size() + posixPaths.size());
  // A drive path starts with a letter, a POSIX one with "/": no two share
  // a position.
  std::merge(drivePaths.begin(), drivePaths.end(), posixPaths.begin(), posixPaths.end(),
             found.begin(),
             [](const ImageAddress& a, const ImageAddress& b) { return a.position < b.position; });
  return found;
}

}  // namespace pellora::images
