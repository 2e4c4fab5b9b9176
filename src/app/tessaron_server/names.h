// Which names the server accepts for files of its contents folder, and the
// token check. Every name that reaches the file system passes
// `isSafeFileName` first: one plain file name, never a path, so no request
// can reach outside the folder. Names that begin with a point are refused as
// well; they would be hidden files, and the server's own temporary files
// begin with one.
#pragma once

#include <string>
#include <string_view>

namespace pellora::tessaron {

inline constexpr std::size_t kMaxFileNameBytes = 200;

// A single file name: not empty, at most kMaxFileNameBytes bytes, no "/" or
// "\", no control bytes, not beginning with ".". Bytes of 0x80 and above are
// allowed (names are Windows-1252 text).
bool isSafeFileName(std::string_view name);

// The file of a content item: its name followed by ".html".
std::string contentFileName(std::string_view contentName);

// The file name part of an uploaded file's name: what follows its last "\"
// or "/" (a Windows path arrives whole).
std::string_view uploadBaseName(std::string_view filename);

// The image type of a file name's extension (gif, png, jpg, jpeg, bmp,
// webp, as the editor's image dialog offers them); empty for any other
// name. Uploads must have one, so nothing uploaded is served as a page.
std::string_view imageTypeOf(std::string_view name);

// True when `name` ends in ".html", ignoring case: such a file is a content
// item, which image requests may neither replace nor delete.
bool namesContentFile(std::string_view name);

// Compares a presented token with the installation's in time that does not
// depend on where they differ.
bool tokenMatches(std::string_view presented, std::string_view expected);

// Whether `token` can be configured: it must survive the trip through a
// form body unchanged, so it holds none of "+%&=" and no bytes at or
// below the blank, and is not empty.
bool isUsableToken(std::string_view token);

}  // namespace pellora::tessaron
