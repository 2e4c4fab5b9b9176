// A request body kept in a file instead of memory, from its first byte until
// its request is answered. The file has no name: it is made without one where
// the file system allows that, else made exclusively, readable by this user
// only, and unlinked at once. So it lives only as long as its descriptor,
// nothing is left behind when the server is killed, and no other process can
// open it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/tessaron_server/byte_sink.h"
#include "app/tessaron_server/fd.h"

namespace pellora::tessaron {

class SpoolFile {
 public:
  // A new empty file in `folder`; nullopt when none can be made there.
  static std::optional<SpoolFile> create(const std::filesystem::path& folder);
  // The system's temporary folder.
  static std::filesystem::path defaultFolder();

  // Adds bytes at the end; false when they could not be written.
  bool append(std::string_view bytes);
  std::size_t size() const { return size_; }
  // Hands the bytes [offset, offset + size) to `sink` in pieces; false when
  // they could not be read or the sink refused one.
  bool read(std::size_t offset, std::size_t size, const ByteSink& sink) const;

 private:
  explicit SpoolFile(Fd fd) : fd_(std::move(fd)) {}

  Fd fd_;
  std::size_t size_ = 0;
};

}  // namespace pellora::tessaron
