// Drafts of unsaved edits: one file per installation and content item,
// holding the body as a save would send it and when it was written. This
// part names the files and turns a draft into bytes and back; it does no
// I/O, so tests and the fuzzer feed it directly.
//
// A draft file is a few header lines and then the body, byte for byte:
//
//   Pellora draft 1
//   url: <BaseUrl>          (bytes below 0x20, 0x7F and "%" as %XX)
//   item: <ContentName>     (escaped the same way)
//   written: <seconds since 1970, UTC>
//   length: <bytes of the body>
//   checksum: <FNV-1a 64 of the body, 16 hex digits>
//   <empty line>
//   <body>
//
// Length and checksum let a cut-off or damaged file be told from a draft;
// the header alone says how large the whole file must be, so a reader
// checks it before it reads the body.
//
// Covered by tests/journal/draft_file_test.cpp and fuzz/fuzz_draft_file.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pellora::journal {

// Which item a draft belongs to.
struct DraftKey {
  std::string baseUrl;
  std::string contentName;
  bool operator==(const DraftKey&) const = default;
};

struct Draft {
  DraftKey key;
  std::int64_t writtenAt = 0;  // seconds since 1970, UTC
  std::string body;            // Windows-1252, as a save sends it
  bool operator==(const Draft&) const = default;
};

// Every draft file name ends so; anything else in the folder is not a draft.
inline constexpr std::string_view kDraftSuffix = ".draft";

// "<readable name>-<16 hex digits>.draft": the content name with anything
// but ASCII letters, digits, "-" and "_" made "_" (at most 40 of them), and
// a hash of the base address and the content name, so that two
// installations or two names that read alike never share a file. Drafts
// were named so before each editor kept its own; such a file has no owner.
std::string draftFileName(const DraftKey& key);
// "<readable name>-<16 hex digits>.<owner>.draft": the draft the editor
// `owner` (16 hex digits) keeps of `key`.
std::string draftFileName(const DraftKey& key, std::string_view owner);
// For a file named as a draft of `key`: its owner, empty for a file without
// one. nullopt for any other name.
std::optional<std::string> draftFileOwner(const DraftKey& key, std::string_view fileName);
// Whether `text` is an owner as draft names carry it.
bool isDraftOwner(std::string_view text);

class DraftFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string encodeDraft(const Draft& draft);
// Throws DraftFormatError for anything that is not a whole draft file.
Draft decodeDraft(std::string_view bytes);

// What the header lines say.
struct DraftHeader {
  DraftKey key;
  std::int64_t writtenAt = 0;
  std::uint64_t bodyLength = 0;
  std::uint64_t checksum = 0;
  std::size_t headerLength = 0;  // bytes up to the body
};
// The header at the start of `bytes` (which may end anywhere after it).
// Throws DraftFormatError when `bytes` holds no whole header.
DraftHeader decodeDraftHeader(std::string_view bytes);
// The draft of `header` with `body`; throws DraftFormatError when the body
// does not match its length and checksum.
Draft completeDraft(DraftHeader header, std::string body);

// FNV-1a, 64 bits.
std::uint64_t fnv1a64(std::string_view bytes, std::uint64_t hash = 14695981039346656037ull);

}  // namespace pellora::journal
