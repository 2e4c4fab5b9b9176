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
// Length and checksum let a cut-off or damaged file be told from a draft.
//
// Covered by tests/journal/draft_file_test.cpp and fuzz/fuzz_draft_file.cpp.
#pragma once

#include <cstdint>
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
// installations or two names that read alike never share a file.
std::string draftFileName(const DraftKey& key);

class DraftFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string encodeDraft(const Draft& draft);
// Throws DraftFormatError for anything that is not a whole draft file.
Draft decodeDraft(std::string_view bytes);

// FNV-1a, 64 bits.
std::uint64_t fnv1a64(std::string_view bytes, std::uint64_t hash = 14695981039346656037ull);

}  // namespace pellora::journal
