// One-pass scans for the image addresses in a document. Each finds exactly
// what the pattern matcher finds, run lazily and without case (Windows-1252
// case pairs), for the pattern named with it, with every match searched
// from the end of the one before, over the text before the first NUL; the
// matcher stays the reference for them. The results are views into the
// scanned text.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace pellora::images {

struct ImageAddress {
  std::size_t position;   // 0-based, in the scanned text
  std::string_view text;  // what the scan reports of the address
};

// Group 2 of <img[^>]+src="(CONTENTS([^/]+))" with `contentsUrl` as the
// literal CONTENTS: the file names of the server images.
std::vector<ImageAddress> ScanServerImages(std::string_view text, std::string_view contentsUrl);

// Group 2 of <img[^>]+src="(file://)?([A-Z]:\\.+([^\\]+))" (drive paths)
// and group 1 of <img[^>]+src="file://(/[^"]*[^/"])" (POSIX paths), merged
// in text order.
std::vector<ImageAddress> ScanLocalImages(std::string_view text);

}  // namespace pellora::images
