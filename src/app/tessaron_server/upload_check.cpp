// Covered by tests/app/tessaron_server_upload_test.cpp (UploadToken*) and
// tests/app/tessaron_server_large_body_test.cpp.
#include "app/tessaron_server/upload_check.h"

#include "app/tessaron_server/edit_request.h"
#include "app/tessaron_server/names.h"

namespace pellora::tessaron {

TokenVerdict judgeUploadToken(const std::vector<ScannedPart>& parts, std::string_view token) {
  for (const ScannedPart& part : parts) {
    if (part.name == "auth") {
      if (part.size > token.size()) return TokenVerdict::Refused;
      if (!part.whole) return TokenVerdict::Pending;
      return tokenMatches(part.kept, token) ? TokenVerdict::Valid : TokenVerdict::Refused;
    }
    if (part.filename || part.size > kMaxBytesBeforeToken) return TokenVerdict::Refused;
  }
  return TokenVerdict::Pending;
}

UploadCheck::UploadCheck(std::string_view boundary, std::string token)
    : token_(std::move(token)), scanner_(boundary, token_.size()) {}

std::optional<std::string> UploadCheck::look(std::string_view bytes) {
  if (valid_) return std::nullopt;  // the rest is for the script to judge
  scanner_.feed(bytes);
  if (scanner_.state() == MultipartScanner::State::Failed) return std::string(kMalformedUpload);
  switch (judgeUploadToken(scanner_.parts(), token_)) {
    case TokenVerdict::Valid:
      valid_ = true;
      return std::nullopt;
    case TokenVerdict::Refused:
      return std::string(kAccessDenied);
    case TokenVerdict::Pending:
      break;
  }
  if (scanner_.state() == MultipartScanner::State::Done) return std::string(kAccessDenied);
  return std::nullopt;
}

}  // namespace pellora::tessaron
