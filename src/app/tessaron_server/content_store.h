// The contents folder of an installation: content items and images side by
// side, addressed by plain file names that have passed isSafeFileName. The
// request handling reaches files only through this interface, so tests can
// give it a store in memory. DiskContentStore writes atomically: a reader
// sees the old file or the new one, never a half-written one, also when the
// server dies in the middle.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pellora::tessaron {

class ContentStore {
 public:
  virtual ~ContentStore() = default;
  // The file's bytes; nullopt when there is no such regular file.
  virtual std::optional<std::string> read(const std::string& file) = 0;
  // Replaces or creates the file; false when that failed (the old file then
  // stays as it was).
  virtual bool write(const std::string& file, const std::string& bytes) = 0;
  enum class Removal { Removed, Missing, Failed };
  virtual Removal remove(const std::string& file) = 0;
};

class DiskContentStore final : public ContentStore {
 public:
  // `folder` must exist.
  explicit DiskContentStore(std::filesystem::path folder) : folder_(std::move(folder)) {}
  std::optional<std::string> read(const std::string& file) override;
  bool write(const std::string& file, const std::string& bytes) override;
  Removal remove(const std::string& file) override;

 private:
  std::filesystem::path folder_;
};

}  // namespace pellora::tessaron
