// Covered by tests/app/tessaron_server_test.cpp (EditRequest*) and
// tests/app/tessaron_server_streaming_test.cpp.
#include "app/tessaron_server/edit_request.h"

#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/multipart.h"
#include "app/tessaron_server/names.h"

namespace pellora::tessaron {

namespace {

Refusal refuse(std::string_view reason) { return {"Error:<br>" + std::string(reason)}; }

Refusal missingField(std::string_view name) {
  return refuse("Missing field <B>" + std::string(name) + "</B>");
}

// The decoded value of the last field called `name`.
std::optional<std::string> decodedField(const std::vector<RawFormField>& fields,
                                        std::string_view name) {
  const auto raw = rawFormField(fields, name);
  if (!raw) return std::nullopt;
  return percentDecode(*raw);
}

// The range of `value`, a view into `body`, as an offset.
std::size_t offsetIn(const std::string& body, std::string_view value) {
  return static_cast<std::size_t>(value.data() - body.data());
}

EditAction interpretForm(const std::vector<RawFormField>& fields, std::string_view token,
                         std::string& body) {
  const auto field = [&](std::string_view name) { return decodedField(fields, name); };
  const auto auth = field("auth");
  if (!auth || !tokenMatches(*auth, token)) return Refusal{std::string(kAccessDenied)};

  if (const auto image = field("deleteimage")) {
    if (!isSafeFileName(*image) || namesContentFile(*image)) return refuse("Invalid image name");
    return DeleteImage{*image};
  }
  const auto source = rawFormField(fields, "htmlsource");
  if (!source) return refuse("Unknown request");
  const auto content = field("content");
  if (!content) return missingField("content");
  const std::string file = contentFileName(*content);
  if (content->empty() || !isSafeFileName(file)) return refuse("Invalid content name");
  const std::size_t offset = offsetIn(body, *source);
  return StoreContent{file, StoredBytes(std::move(body), offset, source->size(), true)};
}

EditAction interpretUpload(const std::vector<FormPartView>& parts, std::string_view token,
                           std::string& body) {
  const FormPartView* auth = findPart(parts, "auth");
  if (!auth || !tokenMatches(auth->data, token)) return Refusal{std::string(kAccessDenied)};
  const FormPartView* image = findPart(parts, "imagefile");
  if (!image || !image->filename) return missingField("imagefile");
  const std::string_view name = uploadBaseName(*image->filename);
  if (!isSafeFileName(name) || namesContentFile(name)) return refuse("Invalid image name");
  // Anything else would be served with a type a browser renders as a page
  // of this origin.
  if (imageTypeOf(name).empty()) return refuse("Only image files can be uploaded");
  const std::size_t offset = offsetIn(body, image->data);
  return StoreImage{std::string(name),
                    StoredBytes(std::move(body), offset, image->data.size(), false)};
}

}  // namespace

bool StoredBytes::produce(const ByteSink& sink) const {
  const std::string_view wire = std::string_view(body_).substr(offset_, size_);
  if (formEncoded_) return percentDecodeInPieces(wire, sink);
  return wire.empty() || sink(wire);
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
    const auto parts = scanMultipart(request.body, *boundary);
    if (!parts) return refuse("Malformed upload");
    return interpretUpload(*parts, token, request.body);
  }
  return interpretForm(scanFormBody(request.body), token, request.body);
}

}  // namespace pellora::tessaron
