// Covered by tests/app/tessaron_server_test.cpp (EditRequest*),
// tests/app/tessaron_server_streaming_test.cpp and
// tests/app/tessaron_server_upload_test.cpp (UploadToken*) and
// tests/app/tessaron_server_large_body_test.cpp.
#include "app/tessaron_server/edit_request.h"

#include <stdexcept>

#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/multipart.h"
#include "app/tessaron_server/names.h"
#include "app/tessaron_server/upload_check.h"

namespace pellora::tessaron {

namespace {

Refusal refuse(std::string_view reason) { return {"Error:<br>" + std::string(reason)}; }

Refusal missingField(std::string_view name) {
  return refuse("Missing field <B>" + std::string(name) + "</B>");
}

// Feeds the whole body to `scanner` piece by piece.
template <typename Scanner>
void scan(const BodyBytes& bytes, Scanner& scanner) {
  if (!bytes.produce(0, bytes.size(), [&](std::string_view piece) {
        scanner.feed(piece);
        return true;
      })) {
    throw std::runtime_error("a spooled request body could not be read");
  }
}

// The decoded value of a field whose encoded form has at most `longest`
// bytes; nullopt for a longer one, which can be no name nor token wanted.
std::optional<std::string> decoded(const BodyBytes& bytes, const FormScanner::Range& range,
                                   std::size_t longest) {
  if (range.size > longest) return std::nullopt;
  const auto raw = bytes.copy(range.offset, range.size);
  if (!raw) throw std::runtime_error("a spooled request body could not be read");
  return percentDecode(*raw);
}

EditAction interpretForm(HttpRequest& request, std::string_view token) {
  const BodyBytes bytes(request.body, request.holding.get());
  FormScanner fields({"auth", "deleteimage", "htmlsource", "content"});
  scan(bytes, fields);
  fields.finish();
  // A percent escape takes three bytes for one.
  constexpr std::size_t kLongestName = 3 * kMaxFileNameBytes;

  const auto auth = fields.last("auth");
  const auto presented = auth ? decoded(bytes, *auth, 3 * token.size()) : std::nullopt;
  if (!presented || !tokenMatches(*presented, token)) return Refusal{std::string(kAccessDenied)};

  if (const auto image = fields.last("deleteimage")) {
    const auto name = decoded(bytes, *image, kLongestName);
    if (!name || !isSafeFileName(*name) || namesContentFile(*name)) {
      return refuse("Invalid image name");
    }
    return DeleteImage{*name};
  }
  const auto source = fields.last("htmlsource");
  if (!source) return refuse("Unknown request");
  const auto contentField = fields.last("content");
  if (!contentField) return missingField("content");
  const auto content = decoded(bytes, *contentField, kLongestName);
  if (!content || content->empty() || !isSafeFileName(contentFileName(*content))) {
    return refuse("Invalid content name");
  }
  return StoreContent{contentFileName(*content),
                      StoredBytes(std::move(request.body), std::move(request.holding),
                                  source->offset, source->size, true)};
}

EditAction interpretUpload(HttpRequest& request, std::string_view boundary,
                           std::string_view token) {
  MultipartScanner parts(boundary, token.size());
  scan(BodyBytes(request.body, request.holding.get()), parts);
  if (parts.state() != MultipartScanner::State::Done) return Refusal{std::string(kMalformedUpload)};
  if (judgeUploadToken(parts.parts(), token) != TokenVerdict::Valid) {
    return Refusal{std::string(kAccessDenied)};
  }
  const ScannedPart* image = nullptr;
  for (const ScannedPart& part : parts.parts()) {
    if (part.name == "imagefile") {
      image = &part;
      break;
    }
  }
  if (!image || !image->filename) return missingField("imagefile");
  const std::string_view name = uploadBaseName(*image->filename);
  if (!isSafeFileName(name) || namesContentFile(name)) return refuse("Invalid image name");
  // Anything else would be served with a type a browser renders as a page
  // of this origin.
  if (imageTypeOf(name).empty()) return refuse("Only image files can be uploaded");
  return StoreImage{std::string(name),
                    StoredBytes(std::move(request.body), std::move(request.holding), image->offset,
                                image->size, false)};
}

}  // namespace

bool StoredBytes::produce(const ByteSink& sink) const {
  const BodyBytes bytes(body_, holding_.get());
  if (!formEncoded_) return bytes.produce(offset_, size_, sink);
  PercentDecoder decoder(sink);
  return bytes.produce(offset_, size_, [&](std::string_view piece) {
    return decoder.feed(piece);
  }) && decoder.finish();
}

std::string StoredBytes::text() const {
  std::string out;
  produce([&](std::string_view piece) {
    out += piece;
    return true;
  });
  return out;
}

EditAction interpretEditRequest(HttpRequest request, std::string_view token) {
  const std::string_view type = request.header("Content-Type").value_or("");
  if (const auto boundary = multipartBoundary(type)) {
    return interpretUpload(request, *boundary, token);
  }
  return interpretForm(request, token);
}

}  // namespace pellora::tessaron
