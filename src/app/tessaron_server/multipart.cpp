// Covered by tests/app/tessaron_server_test.cpp (Multipart*) and
// tests/app/tessaron_server_streaming_test.cpp.
#include "app/tessaron_server/multipart.h"

#include <algorithm>

#include "app/tessaron_server/http_request.h"

namespace pellora::tessaron {

namespace {

void skipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
}

struct Parameter {
  std::string name;
  std::string value;
};

// The value before the first ";" and the parameters after it. A quoted value
// runs to the next quote; there are no escapes.
struct HeaderValue {
  std::string value;
  std::vector<Parameter> parameters;
};

std::optional<HeaderValue> parseHeaderValue(std::string_view text) {
  HeaderValue result;
  std::size_t pos = text.find(';');
  std::string_view head = text.substr(0, pos);
  while (!head.empty() && (head.back() == ' ' || head.back() == '\t')) head.remove_suffix(1);
  result.value = std::string(head);
  while (pos != std::string_view::npos && pos < text.size()) {
    ++pos;  // the ";"
    skipBlanks(text, pos);
    if (pos >= text.size()) break;
    const std::size_t equals = text.find('=', pos);
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view name = text.substr(pos, equals - pos);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    pos = equals + 1;
    skipBlanks(text, pos);
    std::string value;
    if (pos < text.size() && text[pos] == '"') {
      const std::size_t close = text.find('"', pos + 1);
      if (close == std::string_view::npos) return std::nullopt;
      value = std::string(text.substr(pos + 1, close - pos - 1));
      pos = close + 1;
      skipBlanks(text, pos);
      if (pos < text.size() && text[pos] != ';') return std::nullopt;
    } else {
      const std::size_t end = std::min(text.find(';', pos), text.size());
      std::string_view bare = text.substr(pos, end - pos);
      while (!bare.empty() && (bare.back() == ' ' || bare.back() == '\t')) bare.remove_suffix(1);
      value = std::string(bare);
      pos = end;
    }
    result.parameters.push_back({std::string(name), std::move(value)});
  }
  return result;
}

const std::string* parameter(const HeaderValue& header, std::string_view name) {
  for (const auto& p : header.parameters) {
    if (equalsIgnoreCase(p.name, name)) return &p.value;
  }
  return nullptr;
}

// Reads one line ending in LF (CR LF or LF alone) from `pos`; nullopt when
// no line end follows.
std::optional<std::string_view> readLine(std::string_view text, std::size_t& pos) {
  const std::size_t newline = text.find('\n', pos);
  if (newline == std::string_view::npos) return std::nullopt;
  std::string_view line = text.substr(pos, newline - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos = newline + 1;
  return line;
}

// Reads the header lines of a part into `part`; false when they are broken.
bool readPartHeaders(std::string_view body, std::size_t& pos, FormPartView& part) {
  bool named = false;
  while (true) {
    const auto line = readLine(body, pos);
    if (!line) return false;
    if (line->empty()) return named;
    const std::size_t colon = line->find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view name = line->substr(0, colon);
    std::string_view value = line->substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    if (equalsIgnoreCase(name, "Content-Disposition")) {
      const auto header = parseHeaderValue(value);
      if (!header || !equalsIgnoreCase(header->value, "form-data")) return false;
      const std::string* partName = parameter(*header, "name");
      if (!partName) return false;
      part.name = *partName;
      if (const std::string* filename = parameter(*header, "filename")) part.filename = *filename;
      named = true;
    } else if (equalsIgnoreCase(name, "Content-Type")) {
      part.contentType = std::string(value);
    }
  }
}

}  // namespace

std::optional<std::string> multipartBoundary(std::string_view contentType) {
  const auto header = parseHeaderValue(contentType);
  if (!header || !equalsIgnoreCase(header->value, "multipart/form-data")) return std::nullopt;
  const std::string* boundary = parameter(*header, "boundary");
  if (!boundary || boundary->empty() || boundary->size() > 200) return std::nullopt;
  for (char c : *boundary) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  }
  return *boundary;
}

std::optional<std::vector<FormPartView>> scanMultipart(std::string_view body,
                                                       std::string_view boundary) {
  if (boundary.empty()) return std::nullopt;
  const std::string delimiter = "--" + std::string(boundary);
  const std::string innerDelimiter = "\r\n" + delimiter;
  std::size_t pos = 0;
  if (body.substr(0, delimiter.size()) != delimiter) {
    const std::size_t first = body.find(innerDelimiter);  // after a preamble
    if (first == std::string_view::npos) return std::nullopt;
    pos = first + 2;
  }
  std::vector<FormPartView> parts;
  while (true) {
    pos += delimiter.size();
    if (body.substr(pos, 2) == "--") return parts;  // closing delimiter; the epilogue is ignored
    if (parts.size() >= kMaxFormParts) return std::nullopt;
    skipBlanks(body, pos);
    const auto rest = readLine(body, pos);
    if (!rest || !rest->empty()) return std::nullopt;
    FormPartView part;
    if (!readPartHeaders(body, pos, part)) return std::nullopt;
    const std::size_t end = body.find(innerDelimiter, pos);
    if (end == std::string_view::npos) return std::nullopt;
    part.data = body.substr(pos, end - pos);
    parts.push_back(std::move(part));
    pos = end + 2;
  }
}

std::optional<std::vector<FormPart>> parseMultipart(std::string_view body,
                                                    std::string_view boundary) {
  auto views = scanMultipart(body, boundary);
  if (!views) return std::nullopt;
  std::vector<FormPart> parts;
  for (auto& view : *views) {
    parts.push_back({std::move(view.name), std::move(view.filename), std::move(view.contentType),
                     std::string(view.data)});
  }
  return parts;
}

const FormPart* findPart(const std::vector<FormPart>& parts, std::string_view name) {
  for (const auto& part : parts) {
    if (part.name == name) return &part;
  }
  return nullptr;
}

const FormPartView* findPart(const std::vector<FormPartView>& parts, std::string_view name) {
  for (const auto& part : parts) {
    if (part.name == name) return &part;
  }
  return nullptr;
}

}  // namespace pellora::tessaron
