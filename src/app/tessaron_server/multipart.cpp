// Covered by tests/app/tessaron_server_test.cpp (Multipart*),
// tests/app/tessaron_server_streaming_test.cpp and
// tests/app/tessaron_server_upload_test.cpp (BodyScanners*, UploadToken*).
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

// Reads one header line of a part (without its line end) into `part`;
// false when it is broken.
bool readPartHeader(std::string_view line, ScannedPart& part, bool& named) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view name = line.substr(0, colon);
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
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
  return true;
}

// Bytes carried over to the next feed are few (the limits above bound
// them); new bytes join them in pieces of this size, so that a large feed is
// never copied.
constexpr std::size_t kTopUp = 4096;

// How many bytes at the start of `bytes` cannot begin `delimiter`, given
// where (if at all) it was found: all before it, or all but those a
// delimiter cut off at the end could begin at.
std::size_t clearOf(std::string_view bytes, std::size_t found, std::string_view delimiter) {
  if (found != std::string_view::npos) return found;
  return bytes.size() >= delimiter.size() ? bytes.size() - delimiter.size() + 1 : 0;
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

MultipartScanner::MultipartScanner(std::string_view boundary, std::size_t keep)
    : delimiter_("\r\n--" + std::string(boundary)), keep_(keep) {
  if (boundary.empty()) phase_ = Phase::Failed;
}

MultipartScanner::State MultipartScanner::state() const {
  if (phase_ == Phase::Done) return State::Done;
  return phase_ == Phase::Failed ? State::Failed : State::Scanning;
}

void MultipartScanner::feed(std::string_view bytes) {
  while (!bytes.empty() && state() == State::Scanning) {
    if (carry_.empty()) {
      bytes.remove_prefix(steps(bytes));
      // What is left waits for more, and is short (see the limits).
      if (state() == State::Scanning) carry_.assign(bytes);
      return;
    }
    // The carried bytes wait for new ones: join a piece of them, and go on
    // in the new bytes themselves once the carried ones are used up.
    const std::size_t carried = carry_.size();
    const std::size_t joined = std::min(bytes.size(), kTopUp);
    carry_.append(bytes.substr(0, joined));
    const std::size_t used = steps(carry_);
    if (used >= carried) {
      bytes.remove_prefix(used - carried);
      carry_.clear();
    } else {
      carry_.erase(0, used);
      bytes.remove_prefix(joined);
    }
  }
}

std::size_t MultipartScanner::steps(std::string_view bytes) {
  std::size_t used = 0;
  while (used < bytes.size()) {
    const std::size_t n = step(bytes.substr(used));
    if (n == 0) break;
    used += n;
    at_ += n;
  }
  return used;
}

std::size_t MultipartScanner::fail() {
  phase_ = Phase::Failed;
  return 0;
}

std::size_t MultipartScanner::step(std::string_view bytes) {
  const std::string_view dashes = std::string_view(delimiter_).substr(2);
  switch (phase_) {
    case Phase::Start:
      // The first delimiter may open the body without a line end before it.
      if (bytes.size() < dashes.size() && dashes.substr(0, bytes.size()) == bytes) return 0;
      if (bytes.substr(0, dashes.size()) == dashes) {
        phase_ = Phase::AfterDelimiter;
        return dashes.size();
      }
      phase_ = Phase::Preamble;
      return seekDelimiter(bytes);
    case Phase::Preamble:
      return seekDelimiter(bytes);
    case Phase::AfterDelimiter:
      if (bytes.size() < 2) return 0;
      if (bytes.substr(0, 2) == "--") {
        phase_ = Phase::Done;  // the epilogue is ignored
        return bytes.size();
      }
      if (parts_.size() >= kMaxFormParts) return fail();
      part_ = ScannedPart();
      named_ = false;
      headAt_ = at_;
      phase_ = Phase::LineEnd;
      return step(bytes);
    case Phase::LineEnd: {
      // Blanks may follow the delimiter on its line.
      std::size_t n = 0;
      while (n < bytes.size() && (bytes[n] == ' ' || bytes[n] == '\t')) ++n;
      if (at_ + n - headAt_ > kMaxPartHeadBytes) return fail();
      if (n == bytes.size() || (bytes[n] == '\r' && n + 1 == bytes.size())) return n;
      if (bytes[n] == '\r') ++n;
      if (bytes[n] != '\n') return fail();
      phase_ = Phase::Head;
      return n + 1;
    }
    case Phase::Head:
      return readHeadLine(bytes);
    case Phase::Data:
      return readData(bytes);
    case Phase::Done:
    case Phase::Failed:
      return bytes.size();
  }
  return 0;
}

std::size_t MultipartScanner::seekDelimiter(std::string_view bytes) {
  const std::size_t found = bytes.find(delimiter_);
  const std::size_t decided = clearOf(bytes, found, delimiter_);
  if (at_ + decided > kMaxPreambleBytes) return fail();
  if (found == std::string_view::npos) return decided;
  phase_ = Phase::AfterDelimiter;
  return found + delimiter_.size();
}

std::size_t MultipartScanner::readHeadLine(std::string_view bytes) {
  const std::size_t newline = bytes.find('\n');
  const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
  if (at_ + end - headAt_ > kMaxPartHeadBytes) return fail();
  if (newline == std::string_view::npos) return 0;
  std::string_view line = bytes.substr(0, newline);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty()) {
    if (!named_) return fail();
    part_.offset = at_ + end;
    parts_.push_back(std::move(part_));
    phase_ = Phase::Data;
  } else if (!readPartHeader(line, part_, named_)) {
    return fail();
  }
  return end;
}

std::size_t MultipartScanner::readData(std::string_view bytes) {
  const std::size_t found = bytes.find(delimiter_);
  const std::size_t data = clearOf(bytes, found, delimiter_);
  ScannedPart& part = parts_.back();
  part.size += data;
  if (part.kept.size() < keep_)
    part.kept += bytes.substr(0, std::min(data, keep_ - part.kept.size()));
  if (found == std::string_view::npos) return data;
  part.whole = true;
  phase_ = Phase::AfterDelimiter;
  return found + delimiter_.size();
}

std::optional<std::vector<FormPartView>> scanMultipart(std::string_view body,
                                                       std::string_view boundary) {
  MultipartScanner scanner(boundary);
  scanner.feed(body);
  if (scanner.state() != MultipartScanner::State::Done) return std::nullopt;
  std::vector<FormPartView> parts;
  for (const ScannedPart& part : scanner.parts()) {
    parts.push_back(
        {part.name, part.filename, part.contentType, body.substr(part.offset, part.size)});
  }
  return parts;
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
