// Covered by tests/images/pasted_images_test.cpp.
#include "images/pasted_images.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "images/image_signature.h"
#include "images/local_image.h"

namespace pellora::images {

// Writes `bytes` as `file`, in the last of `folders`, each created private
// within the one before; the file appears whole or not at all. False with
// `why` on failure.
bool writePrivateFile(const std::vector<std::filesystem::path>& folders,
                      const std::filesystem::path& file, std::string_view bytes, std::string& why);

namespace {

// FNV-1a: stable across runs and builds, which a folder name must be.
std::string digestOf(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  constexpr char kHex[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) out[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
  return out;
}

// A dropped file's name as one harmless path segment, or empty.
std::string safeName(std::string_view name) {
  name = name.substr(
      name.find_last_of("/\\") == std::string_view::npos ? 0 : name.find_last_of("/\\") + 1);
  std::string out;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte < 0x20 || byte == 0x7F || c == '"' || c == '<' || c == '>' ? '_' : c;
  }
  if (out.size() > 120 || out == "." || out == ".." || out.front() == '.') return {};
  return out;
}

}  // namespace

std::optional<std::filesystem::path> pastedImageFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME");
      cache && std::filesystem::path(cache).is_absolute()) {
    return std::filesystem::path(cache) / "pellora";
  }
  if (const char* home = std::getenv("HOME"); home && std::filesystem::path(home).is_absolute()) {
    return std::filesystem::path(home) / ".cache" / "pellora";
  }
  return std::nullopt;
}

std::string fileAddress(const std::filesystem::path& path) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (const char c : path.string()) {
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
        std::string_view("/-._~").find(c) != std::string_view::npos) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

PastedImages::Kept PastedImages::keep(std::string_view bytes, std::string_view name) {
  using Refusal = Kept::Refusal;
  if (bytes.size() > kMostBytes) return {{}, Refusal::TooLarge, {}};
  const std::optional<ImageKind> kind = imageKindOf(bytes);
  if (!kind) return {{}, Refusal::NotAnImage, {}};
  if (kept_ >= kMostImages) return {{}, Refusal::TooMany, {}};
  if (!folder_) return {{}, Refusal::NotWritten, "no cache folder (HOME is not set)"};
  const std::string digest = digestOf(bytes);
  std::string fileName = safeName(name);
  if (fileName.empty())
    fileName = "pasted-" + digest.substr(0, 8) + std::string(extensionOf(*kind));
  // The engine keeps its own cache in the same folder, which is named after
  // the program: the images have a folder of their own in it.
  const std::filesystem::path images = *folder_ / "pasted";
  const std::filesystem::path folder = images / digest;
  const std::filesystem::path file = folder / fileName;
  // The same picture pasted again is the file already kept.
  const std::optional<std::string> existing = readRegularFile(file.string());
  std::string why;
  if (!(existing && *existing == bytes) &&
      !writePrivateFile({*folder_, images, folder}, file, bytes, why)) {
    return {{}, Refusal::NotWritten, why};
  }
  ++kept_;
  return {fileAddress(file), Refusal::None, {}};
}

}  // namespace pellora::images
