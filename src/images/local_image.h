// Local images: the files a document refers to on the user's machine. A
// listed local image is named by its path as the document spells it: either
// the drive form (a letter, ":", a backslash, ...), which names a file only
// on Windows, or an absolute POSIX path taken from a "file://" address,
// still percent-encoded as a file address is. Reading and naming the upload
// decode the escapes; the document text keeps the address as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellora::images {

enum class LocalPathForm { Drive, Posix };

// Drive when the path begins with a letter, ":" and a backslash; Posix when
// it begins with "/". Listed paths are always one of the two.
LocalPathForm localPathForm(std::string_view listedPath);

// "%" and two hexadecimal digits (either case) become that byte; any other
// "%" stays as it is.
std::string percentDecode(std::string_view text);

// The file name a server stores the upload under is taken from this: the
// drive path unchanged, the POSIX path with its escapes decoded.
std::string uploadFileName(std::string_view listedPath);

// Whether drive-form paths name files on this system (Windows).
bool driveFormIsLocal();

// The file system path of a listed image, or nothing when it names no file
// on this platform (the drive form but on Windows). A drive path is taken
// as written, its bytes Windows-1252 text become UTF-8. Escapes of a POSIX
// path are decoded to bytes as they
// stand; literal bytes above 0x7F are Windows-1252 text of the document and
// become UTF-8, the file names' encoding here.
std::optional<std::string> fileSystemPath(std::string_view listedPath);

// The whole content of a regular file; nothing when it cannot be read
// (missing, no access, a directory or a device).
std::optional<std::string> readRegularFile(const std::string& path);

// The whole content of the file a listed image names; nothing when it names
// no file here or the file cannot be read.
std::optional<std::string> readListedImage(std::string_view listedPath);

}  // namespace pellora::images
