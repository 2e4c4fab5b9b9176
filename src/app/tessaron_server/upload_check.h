// Where an upload (a multipart body to the script) must carry its token, so
// that one without the right token is refused as soon as that is certain,
// before a large file part is taken: the first part called "auth" holds the
// token, and it must be whole before any file part (one with a file name)
// begins, with at most a few small parts before it. The editor sends it first.
// The same rules decide on a whole body, so an upload is judged alike however
// it arrived.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tessaron_server/multipart.h"

namespace pellora::tessaron {

inline constexpr std::size_t kMaxBytesBeforeToken = 64 * 1024;  // of one part before it

enum class TokenVerdict { Pending, Valid, Refused };

// The verdict on the parts as far as they have come (a scanner keeping at
// least token.size() bytes of each). Pending on a whole body means refused.
TokenVerdict judgeUploadToken(const std::vector<ScannedPart>& parts, std::string_view token);

// Looks at an upload's body as it arrives.
class UploadCheck {
 public:
  UploadCheck(std::string_view boundary, std::string token);
  // Takes the next bytes; the text to refuse the upload with once that is
  // certain, nullopt while it may still be good.
  std::optional<std::string> look(std::string_view bytes);

 private:
  std::string token_;
  MultipartScanner scanner_;
  bool valid_ = false;
};

}  // namespace pellora::tessaron
