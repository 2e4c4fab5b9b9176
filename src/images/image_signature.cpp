// Covered by tests/images/image_signature_test.cpp.
#include "images/image_signature.h"

#include <array>
#include <cstdint>

namespace pellora::images {

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

std::uint32_t littleEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

// "BM" alone is two letters of many texts; the header that follows must
// also name one of the known info header sizes.
bool isBmp(std::string_view bytes) {
  if (!startsWith(bytes, "BM") || bytes.size() < 18) return false;
  constexpr std::array<std::uint32_t, 7> kInfoHeaderSizes = {12, 40, 52, 56, 64, 108, 124};
  const std::uint32_t size = littleEndian32(bytes, 14);
  for (std::uint32_t known : kInfoHeaderSizes) {
    if (size == known) return true;
  }
  return false;
}

// Reserved 0, type 1 (icon), and at least one image.
bool isIco(std::string_view bytes) {
  return bytes.size() >= 6 && startsWith(bytes, std::string_view("\0\0\1\0", 4)) &&
         (bytes[4] != 0 || bytes[5] != 0);
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Skips what may stand before an XML document's root element; npos when a
// construct is not closed.
std::size_t rootElementStart(std::string_view text) {
  std::size_t at = startsWith(text, "\xEF\xBB\xBF") ? 3 : 0;
  for (;;) {
    while (at < text.size() && isXmlSpace(text[at])) ++at;
    const std::string_view rest = text.substr(at);
    std::size_t end = std::string_view::npos;
    if (startsWith(rest, "<?")) {
      end = rest.find("?>");
      if (end != std::string_view::npos) end += 2;
    } else if (startsWith(rest, "<!--")) {
      end = rest.find("-->", 4);
      if (end != std::string_view::npos) end += 3;
    } else if (startsWith(rest, "<!DOCTYPE")) {
      // An internal subset in brackets may hold ">" of its own.
      const std::size_t bracket = rest.find('[');
      const std::size_t close = rest.find('>');
      if (bracket != std::string_view::npos && bracket < close) {
        end = rest.find("]", bracket);
        if (end != std::string_view::npos) end = rest.find('>', end);
      } else {
        end = close;
      }
      if (end != std::string_view::npos) end += 1;
    } else {
      return at;
    }
    if (end == std::string_view::npos) return std::string_view::npos;
    at += end;
  }
}

bool isSvg(std::string_view bytes) {
  const std::size_t root = rootElementStart(bytes);
  if (root == std::string_view::npos) return false;
  const std::string_view rest = bytes.substr(root);
  if (!startsWith(rest, "<svg") || rest.size() < 5) return false;
  const char after = rest[4];
  return isXmlSpace(after) || after == '>' || after == '/';
}

}  // namespace

std::optional<ImageKind> imageKindOf(std::string_view bytes) {
  if (startsWith(bytes, "\x89PNG\r\n\x1A\n")) return ImageKind::Png;
  if (startsWith(bytes, "\xFF\xD8\xFF")) return ImageKind::Jpeg;
  if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) return ImageKind::Gif;
  if (bytes.size() >= 12 && startsWith(bytes, "RIFF") && bytes.substr(8, 4) == "WEBP") {
    return ImageKind::WebP;
  }
  if (isBmp(bytes)) return ImageKind::Bmp;
  if (isIco(bytes)) return ImageKind::Ico;
  if (isSvg(bytes)) return ImageKind::Svg;
  return std::nullopt;
}

namespace {

struct KindNames {
  ImageKind kind;
  std::string_view extension;
  std::string_view mediaType;
};

constexpr KindNames kKindNames[] = {
    {ImageKind::Png, ".png", "image/png"},     {ImageKind::Jpeg, ".jpg", "image/jpeg"},
    {ImageKind::Gif, ".gif", "image/gif"},     {ImageKind::WebP, ".webp", "image/webp"},
    {ImageKind::Bmp, ".bmp", "image/bmp"},     {ImageKind::Ico, ".ico", "image/x-icon"},
    {ImageKind::Svg, ".svg", "image/svg+xml"},
};

const KindNames& namesOf(ImageKind kind) {
  for (const KindNames& names : kKindNames) {
    if (names.kind == kind) return names;
  }
  return kKindNames[0];
}

}  // namespace

std::string_view extensionOf(ImageKind kind) { return namesOf(kind).extension; }

std::string_view mediaTypeOf(ImageKind kind) { return namesOf(kind).mediaType; }

}  // namespace pellora::images
