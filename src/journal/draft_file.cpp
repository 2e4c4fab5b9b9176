#include "journal/draft_file.h"

#include <charconv>

#include "content/hex_digits.h"

namespace pellora::journal {

namespace {

constexpr std::string_view kMagic = "Pellora draft 1\n";
constexpr std::size_t kReadableLength = 40;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

std::string hex64(std::uint64_t value) {
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4)
    text[static_cast<std::size_t>(i)] = kHexDigits[value & 15];
  return text;
}

bool needsEscape(unsigned char c) { return c < 0x20 || c == 0x7F || c == '%'; }

std::string escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (needsEscape(byte)) {
      out += '%';
      out += kUpperHexDigits[byte >> 4];
      out += kUpperHexDigits[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (needsEscape(static_cast<unsigned char>(text[i])))
        throw DraftFormatError("an unescaped control character in a header");
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) throw DraftFormatError("a cut-off escape in a header");
    const auto byte = content::percentEscapeAt(text, i);
    if (!byte) throw DraftFormatError("a bad escape in a header");
    out += *byte;
    i += 2;
  }
  return out;
}

// Reads "<name>: <value>\n" at `at`, moving past it.
std::string_view headerLine(std::string_view bytes, std::size_t& at, std::string_view name) {
  const std::size_t end = bytes.find('\n', at);
  if (end == std::string_view::npos) throw DraftFormatError("the header is cut off");
  const std::string_view line = bytes.substr(at, end - at);
  at = end + 1;
  if (line.size() < name.size() + 2 || line.substr(0, name.size()) != name ||
      line.substr(name.size(), 2) != ": ") {
    throw DraftFormatError("the header line \"" + std::string(name) + "\" is missing");
  }
  return line.substr(name.size() + 2);
}

template <typename Number>
Number number(std::string_view text, int base = 10) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
      text.front() == '+' || (base == 16 && text.size() != 16)) {
    throw DraftFormatError("a malformed number in the header");
  }
  return value;
}

}  // namespace

std::uint64_t fnv1a64(std::string_view bytes, std::uint64_t hash) {
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

namespace {

// The name of `key`'s drafts without the suffix.
std::string draftStem(const DraftKey& key) {
  std::string readable;
  for (char c : key.contentName) {
    if (readable.size() == kReadableLength) break;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    readable += plain ? c : '_';
  }
  if (readable.empty()) readable = "item";
  // The address's length goes first, so no split of one text into address
  // and name hashes like another.
  std::uint64_t hash = fnv1a64(std::to_string(key.baseUrl.size()) + ":");
  hash = fnv1a64(key.baseUrl, hash);
  hash = fnv1a64(key.contentName, hash);
  return readable + "-" + hex64(hash);
}

}  // namespace

std::string draftFileName(const DraftKey& key) {
  return draftStem(key) + std::string(kDraftSuffix);
}

std::string draftFileName(const DraftKey& key, std::string_view owner) {
  return draftStem(key) + "." + std::string(owner) + std::string(kDraftSuffix);
}

bool isDraftOwner(std::string_view text) {
  return text.size() == 16 && text.find_first_not_of(kHexDigits) == std::string_view::npos;
}

std::optional<std::string> draftFileOwner(const DraftKey& key, std::string_view fileName) {
  const std::string stem = draftStem(key);
  if (fileName.size() < stem.size() + kDraftSuffix.size() || !fileName.starts_with(stem) ||
      !fileName.ends_with(kDraftSuffix)) {
    return std::nullopt;
  }
  std::string_view rest =
      fileName.substr(stem.size(), fileName.size() - stem.size() - kDraftSuffix.size());
  if (rest.empty()) return std::string();
  if (rest.front() != '.' || !isDraftOwner(rest.substr(1))) return std::nullopt;
  return std::string(rest.substr(1));
}

std::string encodeDraft(const Draft& draft) {
  std::string out;
  out.reserve(draft.body.size() + 256);
  out.append(kMagic);
  out.append("url: ").append(escape(draft.key.baseUrl)).append("\n");
  out.append("item: ").append(escape(draft.key.contentName)).append("\n");
  out.append("written: ").append(std::to_string(draft.writtenAt)).append("\n");
  out.append("length: ").append(std::to_string(draft.body.size())).append("\n");
  out.append("checksum: ").append(hex64(fnv1a64(draft.body))).append("\n\n");
  out.append(draft.body);
  return out;
}

DraftHeader decodeDraftHeader(std::string_view bytes) {
  if (bytes.substr(0, kMagic.size()) != kMagic) throw DraftFormatError("not a draft file");
  std::size_t at = kMagic.size();
  DraftHeader header;
  header.key.baseUrl = unescape(headerLine(bytes, at, "url"));
  header.key.contentName = unescape(headerLine(bytes, at, "item"));
  header.writtenAt = number<std::int64_t>(headerLine(bytes, at, "written"));
  header.bodyLength = number<std::uint64_t>(headerLine(bytes, at, "length"));
  header.checksum = number<std::uint64_t>(headerLine(bytes, at, "checksum"), 16);
  if (at >= bytes.size() || bytes[at] != '\n') throw DraftFormatError("the header does not end");
  header.headerLength = at + 1;
  return header;
}

Draft completeDraft(DraftHeader header, std::string body) {
  if (body.size() != header.bodyLength) throw DraftFormatError("the body is cut off or too long");
  if (fnv1a64(body) != header.checksum) throw DraftFormatError("the body is damaged");
  return {std::move(header.key), header.writtenAt, std::move(body)};
}

Draft decodeDraft(std::string_view bytes) {
  DraftHeader header = decodeDraftHeader(bytes);
  const std::size_t at = header.headerLength;
  return completeDraft(std::move(header), std::string(bytes.substr(at)));
}

}  // namespace pellora::journal
