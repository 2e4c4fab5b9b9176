// Covered by tests/images/image_patterns_test.cpp.
#include "images/image_patterns.h"

#include <algorithm>
#include <cstddef>
#include <unordered_set>
#include <utility>

#include "content/pattern_matcher.h"
#include "images/image_scan.h"
#include "images/local_image.h"

namespace pellora::images {

namespace {

using content::PatternMatcher;

struct Found {
  std::ptrdiff_t position;
  std::string path;
};

// Every match of `pattern` (case-insensitive, lazy) in `text`: the position
// and text of `group`.
void collectMatches(std::string pattern, int group, std::string_view text,
                    std::vector<Found>& into) {
  PatternMatcher matcher;
  matcher.setCaseInsensitive(true);
  matcher.setGreedy(false);
  matcher.setPattern(std::move(pattern));
  for (bool found = matcher.Exec(text); found; found = matcher.ExecNext()) {
    into.push_back({matcher.matchPos(group), matcher.match(group)});
  }
}

// `text` as a pattern that matches exactly that text: every byte with a
// meaning in patterns gets a backslash.
std::string patternLiteral(std::string_view text) {
  constexpr std::string_view kSpecial = "\\.[]()|?*+^${}";
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (kSpecial.find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

// A decoded file name as the last segment of an address: bytes that would
// end the attribute, start a character reference, a fragment or a query, or
// be read as an escape are escaped; everything else stays as it is.
std::string addressSegment(std::string_view fileName) {
  constexpr std::string_view kEscaped = "%\"&<>#?";
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(fileName.size());
  for (char c : fileName) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || kEscaped.find(c) != std::string_view::npos) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string ContentsUrl(std::string_view baseUrl) { return std::string(baseUrl) + "/contents/"; }

std::vector<std::string> findServerImages(std::string_view text, std::string_view contentsUrl) {
  std::vector<std::string> names;
  for (const ImageAddress& image : ScanServerImages(text, contentsUrl)) {
    names.emplace_back(image.text);
  }
  return names;
}

std::vector<std::string> unusedServerImages(const std::vector<std::string>& serverImages,
                                            std::string_view text) {
  std::vector<std::string> unused;
  for (const std::string& name : serverImages) {
    if (text.find(name) != std::string_view::npos) continue;
    if (std::find(unused.begin(), unused.end(), name) != unused.end()) continue;
    unused.push_back(name);
  }
  return unused;
}

std::optional<std::string> findTemporaryImage(std::string_view text) {
  std::vector<Found> found;
  collectMatches("<img[^>]+src=[\"']?((blob|data):)", 1, text, found);
  if (found.empty()) return std::nullopt;
  return std::move(found.front().path);
}

std::vector<std::string> findLocalImages(std::string_view text) {
  std::vector<std::string> paths;
  std::unordered_set<std::string_view> listed;
  for (const ImageAddress& image : ScanLocalImages(text)) {
    if (listed.insert(image.text).second) paths.emplace_back(image.text);
  }
  return paths;
}

std::string uploadedFileName(std::string_view path) {
  if (localPathForm(path) == LocalPathForm::Drive) {
    return std::string(path.substr(path.rfind('\\') + 1));
  }
  const std::string decoded = uploadFileName(path);
  return decoded.substr(decoded.find_last_of("/\\") + 1);
}

std::string serverFileName(std::string_view recordedName) { return percentDecode(recordedName); }

std::string numberedName(std::string_view fileName, int number) {
  const std::size_t dot = fileName.rfind('.');
  const std::size_t stemEnd = dot == std::string_view::npos || dot == 0 ? fileName.size() : dot;
  return std::string(fileName.substr(0, stemEnd)) + "-" + std::to_string(number) +
         std::string(fileName.substr(stemEnd));
}

std::string renamedUpload(std::string_view path, std::string_view storedName) {
  const std::string sent = uploadFileName(path);
  const std::size_t cut = sent.find_last_of("/\\");
  return (cut == std::string::npos ? std::string() : sent.substr(0, cut + 1)) +
         std::string(storedName);
}

std::string RewriteImageSource(std::string_view text, std::string_view path,
                               std::string_view contentsUrl) {
  return RewriteImageSource(text, path, contentsUrl, uploadedFileName(path));
}

std::string RewriteImageSource(std::string_view text, std::string_view path,
                               std::string_view contentsUrl, std::string_view storedName) {
  // An empty pattern part would match between every two bytes.
  if (path.empty()) return std::string(text);
  const bool posix = localPathForm(path) == LocalPathForm::Posix;
  // The drive form's name goes in as it stands; a POSIX name is decoded, as
  // the server stores it, so that a later delete of the address finds it.
  const std::string name = posix ? addressSegment(storedName) : std::string(storedName);
  // The POSIX prefix is spelt in any case, as the listing finds it; the
  // drive form's prefix is optional and taken whenever it is there.
  const std::string prefix = posix ? "[Ff][Ii][Ll][Ee]://" : "(file://)?";
  PatternMatcher matcher;
  matcher.setPattern(prefix + "(" + patternLiteral(path) + ")");
  return matcher.Replace(text, std::string(contentsUrl) + name);
}

}  // namespace pellora::images
