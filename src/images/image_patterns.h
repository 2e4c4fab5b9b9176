// The text side of the image transfer: which server images a document uses,
// which local images it refers to, and the rewriting of an uploaded local
// image's address to its server address. All of it runs on the pattern
// matcher with patterns that embed the contents address and local paths as
// they stand (only a path's backslashes are doubled), so a base address or
// path that is not a valid pattern raises EPatternError to the caller.
// No I/O here.
//
// Local image addresses in an IMG tag's double-quoted src:
// - drive form: an optional "file://", then letter, ":", backslash, ...;
//   listed without the "file://";
// - POSIX form: "file://" and an absolute path ("file:///home/u/p.png");
//   listed as the path ("/home/u/p.png"), still percent-encoded.
// A bare "/path" is a server-relative address and never a local image.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellora::images {

// `baseUrl` + "/contents/", with no slash added or removed otherwise.
std::string ContentsUrl(std::string_view baseUrl);

// The file names of the server images `text` uses: IMG tags whose src, in
// double quotes, is `contentsUrl` followed by a name without "/". One entry
// per occurrence, in text order.
std::vector<std::string> findServerImages(std::string_view text, std::string_view contentsUrl);

// The names of `serverImages` that occur nowhere in `text` (a plain,
// case-sensitive substring search), each once, in list order.
std::vector<std::string> unusedServerImages(const std::vector<std::string>& serverImages,
                                            std::string_view text);

// The local image paths `text` refers to, each once, in text order.
std::vector<std::string> findLocalImages(std::string_view text);

// `text` with every occurrence of the listed local image `path` (with the
// "file://" before it, if any) replaced by `contentsUrl` + its file name.
std::string RewriteImageSource(std::string_view text, std::string_view path,
                               std::string_view contentsUrl);

}  // namespace pellora::images
