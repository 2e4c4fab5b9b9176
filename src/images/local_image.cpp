// Covered by tests/images/local_image_test.cpp.
#include "images/local_image.h"

#include "content/cp1252.h"
#include "content/hex_digits.h"

namespace pellora::images {

namespace {

// Calls `literal` for each byte written as itself and `escaped` for each
// byte written as "%XX".
template <typename Literal, typename Escaped>
void forEachDecoded(std::string_view text, Literal literal, Escaped escaped) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (const auto byte = content::percentEscapeAt(text, i)) {
      escaped(*byte);
      i += 2;
      continue;
    }
    literal(text[i]);
  }
}

}  // namespace

LocalPathForm localPathForm(std::string_view listedPath) {
  return !listedPath.empty() && listedPath.front() == '/' ? LocalPathForm::Posix
                                                          : LocalPathForm::Drive;
}

std::string percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  auto append = [&out](char c) { out += c; };
  forEachDecoded(text, append, append);
  return out;
}

std::string uploadFileName(std::string_view listedPath) {
  if (localPathForm(listedPath) == LocalPathForm::Drive) return std::string(listedPath);
  return percentDecode(listedPath);
}

std::optional<std::string> fileSystemPath(std::string_view listedPath) {
  if (localPathForm(listedPath) == LocalPathForm::Drive) {
    if (!driveFormIsLocal()) return std::nullopt;
    return content::cp1252ToUtf8(listedPath);
  }
  std::string out;
  out.reserve(listedPath.size());
  forEachDecoded(
      listedPath,
      [&out](char c) {
        if (static_cast<unsigned char>(c) < 0x80) {
          out += c;
        } else {
          out += content::cp1252ToUtf8(std::string_view(&c, 1));
        }
      },
      [&out](char c) { out += c; });
  return out;
}

std::optional<std::string> readListedImage(std::string_view listedPath) {
  const std::optional<std::string> onDisk = fileSystemPath(listedPath);
  if (!onDisk) return std::nullopt;
  return readRegularFile(*onDisk);
}

}  // namespace pellora::images
