// Pasted and dropped images: bytes that came without a file of their own
// (clipboard image data, a data: or blob: address, a file dropped from the
// file manager) are kept as files in a private folder of the user's, so the
// document refers to them by a file:/// address and the image transfer
// uploads them like any local image. A blob: or data: address never reaches
// the server.
//
// The folder is ${XDG_CACHE_HOME:-~/.cache}/pellora/pasted/ (each level mode
// 0700); each image goes to a folder of its own named by a digest of its
// bytes, so pasting the same picture twice keeps one file, and a dropped
// file keeps its name.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellora::images {

// The private folder: XDG_CACHE_HOME when it is an absolute path, else
// $HOME/.cache, with "pellora" added; nothing without either.
std::optional<std::filesystem::path> pastedImageFolder();

// The file:/// address of an absolute path, every byte but letters,
// digits, "/" and "-._~" escaped, as the image transfer reads it back.
std::string fileAddress(const std::filesystem::path& path);

class PastedImages {
 public:
  // Beyond these an image is refused with a message: a paste of many
  // megabytes or hundreds of pictures is a mistake the server should not
  // pay for.
  static constexpr std::size_t kMostBytes = 20 * 1024 * 1024;
  static constexpr std::size_t kMostImages = 100;

  explicit PastedImages(std::optional<std::filesystem::path> folder = pastedImageFolder())
      : folder_(std::move(folder)) {}

  struct Kept {
    std::string address;  // file:/// address of the kept file; empty when refused
    enum class Refusal { None, TooLarge, TooMany, NotAnImage, NotWritten } refusal = Refusal::None;
    std::string why;  // for NotWritten
  };
  // Keeps `bytes` as a file named `name` (a dropped file's name; empty for
  // clipboard data, which gets "pasted-<digest>" and its kind's extension).
  Kept keep(std::string_view bytes, std::string_view name);

  // A new document starts counting anew.
  void restartCount() { kept_ = 0; }

 private:
  std::optional<std::filesystem::path> folder_;
  std::size_t kept_ = 0;
};

}  // namespace pellora::images
