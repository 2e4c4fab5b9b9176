// Whether a file's bytes are an image, judged by its content alone: the
// image transfer uploads only files that are, so a document that names a
// private file (a key, a /proc file, a text) cannot have it sent to the
// server. No I/O here.
#pragma once

#include <optional>
#include <string_view>

namespace pellora::images {

enum class ImageKind { Png, Jpeg, Gif, WebP, Bmp, Ico, Svg };

// The kind whose signature `bytes` begin with; nothing for any other
// content, the empty file included. SVG, being text, is recognised by its
// root element: "<svg" after an optional byte order mark, white space, an
// XML declaration, comments, processing instructions and a DOCTYPE.
std::optional<ImageKind> imageKindOf(std::string_view bytes);

// The file name extension of a kind (".png") and its media type
// ("image/png").
std::string_view extensionOf(ImageKind kind);
std::string_view mediaTypeOf(ImageKind kind);

}  // namespace pellora::images
