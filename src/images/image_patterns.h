// The text side of the image transfer: which server images a document uses,
// which local images it refers to, and the rewriting of an uploaded local
// image's address to its server address. The listings of server and local
// images run on the one-pass scans of image_scan.h, which find what their
// patterns would; the rest runs on the pattern matcher. The contents address
// and local paths are escaped before they go into a pattern, so they match
// themselves only and never make a pattern invalid, whatever bytes they
// hold. No I/O here.
//
// Local image addresses in an IMG tag's double-quoted src:
// - drive form: an optional "file://", then letter, ":", backslash, ...;
//   listed without the "file://";
// - POSIX form: "file://" and an absolute path ("file:///home/u/p.png");
//   listed as the path ("/home/u/p.png"), still percent-encoded.
// A bare "/path" is a server-relative address and never a local image.
#pragma once

#include <optional>
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

// The scheme ("blob:" or "data:", as spelt) of the first IMG tag whose src
// is such a temporary address, which names nothing the server could keep;
// nothing when there is none.
std::optional<std::string> findTemporaryImage(std::string_view text);

// The local image paths `text` refers to, each once, in text order.
std::vector<std::string> findLocalImages(std::string_view text);

// The file name an upload of the listed local image `path` is stored under,
// which its rewritten address names: for the drive form the part after the
// last backslash as it stands; for a POSIX path the part after the last "/"
// or "\" of the decoded path, as the server takes it from the upload.
std::string uploadedFileName(std::string_view path);

// `fileName` with "-<number>" before its extension: logo.png, 1 gives
// logo-1.png; a name without extension (or only one, ".png") gets it at
// the end.
std::string numberedName(std::string_view fileName, int number);

// The upload file name that makes the server store the listed local image
// `path` as `storedName` (which holds no "/" or "\"): the path's folder
// part as sent, then the name, so only the last segment differs.
std::string renamedUpload(std::string_view path, std::string_view storedName);

// The contents folder's file that a recorded server image name (the address
// segment as the document spells it) stands for: its escapes decoded, as
// the server decodes the address when it serves the image.
std::string serverFileName(std::string_view recordedName);

// `text` with every occurrence of the listed local image `path` (with the
// "file://" before it, if any) replaced by `contentsUrl` + its file name. A
// POSIX path's decoded file name is written as it stands, except for the
// bytes that would end the attribute or change what the address names
// ("%", "\"", "&", "<", ">", "#", "?" and control bytes), which are escaped,
// so the address leads to the stored file and its name, once decoded, is the
// stored name.
std::string RewriteImageSource(std::string_view text, std::string_view path,
                               std::string_view contentsUrl);
// The same for an upload stored under `storedName` instead of the name its
// path ends in.
std::string RewriteImageSource(std::string_view text, std::string_view path,
                               std::string_view contentsUrl, std::string_view storedName);

}  // namespace pellora::images
