// The contents folder of an installation: content items and images side by
// side, addressed by plain file names that have passed isSafeFileName. The
// request handling reaches files only through this interface, so tests can
// give it a store in memory. DiskContentStore writes atomically: a reader
// sees the old file or the new one, never a half-written one, also when the
// server dies in the middle. Its temporary files are hidden ones,
// ".<file>.tessaron-save-XXXXXX", locked while written.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/tessaron_server/byte_sink.h"
#include "app/tessaron_server/http_response.h"

namespace pellora::tessaron {

class ContentStore {
 public:
  virtual ~ContentStore() = default;
  // The file's bytes; nullopt when there is no such regular file.
  virtual std::optional<std::string> read(const std::string& file) = 0;
  // The file's bytes to be read as they are sent; null when there is no
  // such regular file. This one reads them whole with read(); a store on
  // disk reads them piece by piece.
  virtual std::unique_ptr<BodyReader> open(const std::string& file);
  // Replaces or creates the file; false when that failed (the old file then
  // stays as it was).
  virtual bool write(const std::string& file, const std::string& bytes) = 0;
  // As write, with the bytes `source` hands on piece by piece. This one
  // gathers them for write(); a store on disk writes them as they come.
  virtual bool writeFrom(const std::string& file, const ByteSource& source);
  enum class Removal { Removed, Missing, Failed };
  virtual Removal remove(const std::string& file) = 0;
};

class DiskContentStore final : public ContentStore {
 public:
  // `folder` must exist.
  explicit DiskContentStore(std::filesystem::path folder) : folder_(std::move(folder)) {}
  std::optional<std::string> read(const std::string& file) override;
  std::unique_ptr<BodyReader> open(const std::string& file) override;
  bool write(const std::string& file, const std::string& bytes) override;
  bool writeFrom(const std::string& file, const ByteSource& source) override;
  Removal remove(const std::string& file) override;

  // Removes the temporary files of saves that never finished (the server
  // was killed while writing): only names of the form this store gives its
  // temporary files, only regular files, and only when no running save holds
  // the file's lock. Returns how many it removed.
  std::size_t removeStaleTemporaries();

 private:
  std::filesystem::path folder_;
};

}  // namespace pellora::tessaron
