// Covered by tests/app/tessaron_server_test.cpp (EditRequest*).
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

EditAction interpretForm(const FormFields& fields, std::string_view token) {
  const auto auth = formField(fields, "auth");
  if (!auth || !tokenMatches(*auth, token)) return Refusal{std::string(kAccessDenied)};

  if (const auto image = formField(fields, "deleteimage")) {
    if (!isSafeFileName(*image) || namesContentFile(*image)) return refuse("Invalid image name");
    return DeleteImage{*image};
  }
  const auto source = formField(fields, "htmlsource");
  if (!source) return refuse("Unknown request");
  const auto content = formField(fields, "content");
  if (!content) return missingField("content");
  const std::string file = contentFileName(*content);
  if (content->empty() || !isSafeFileName(file)) return refuse("Invalid content name");
  return StoreContent{file, *source};
}

EditAction interpretUpload(const std::vector<FormPart>& parts, std::string_view token) {
  const FormPart* auth = findPart(parts, "auth");
  if (!auth || !tokenMatches(auth->data, token)) return Refusal{std::string(kAccessDenied)};
  const FormPart* image = findPart(parts, "imagefile");
  if (!image || !image->filename) return missingField("imagefile");
  const std::string_view name = uploadBaseName(*image->filename);
  if (!isSafeFileName(name) || namesContentFile(name)) return refuse("Invalid image name");
  return StoreImage{std::string(name), image->data};
}

}  // namespace

EditAction interpretEditRequest(const HttpRequest& request, std::string_view token) {
  const std::string_view type = request.header("Content-Type").value_or("");
  if (const auto boundary = multipartBoundary(type)) {
    const auto parts = parseMultipart(request.body, *boundary);
    if (!parts) return refuse("Malformed upload");
    return interpretUpload(*parts, token);
  }
  return interpretForm(parseFormBody(request.body), token);
}

}  // namespace pellora::tessaron
