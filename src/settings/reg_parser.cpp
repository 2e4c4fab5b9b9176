// Reads the registry-export text of one hive. Any flaw makes the whole file
// count as damaged: a half-trusted settings file is worse than none, and the
// store keeps the damaged file aside instead of overwriting it.

#include <charconv>

#include "content/hex_digits.h"
#include "settings/codepage.h"
#include "settings/reg_file.h"

namespace pellora::settings {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct ParseError {
  std::string message;
};

[[noreturn]] void fail(std::size_t line, const std::string& what) {
  throw ParseError{"line " + std::to_string(line) + ": " + what};
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimRight(std::string_view text) {
  while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::string_view trimLeft(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  return text;
}

// UTF-8 (already validated) to Windows-1252; "?" for what it cannot hold.
std::string toCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t code = decodeUtf8(utf8, pos).value_or(U'?');
    out += static_cast<char>(unicodeToCp1252(code).value_or('?'));
  }
  return out;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t number = 0;
  for (char c : digits) {
    const int digit = content::hexDigitValue(c);
    if (digit < 0) return std::nullopt;
    number = (number << 4) | static_cast<std::uint32_t>(digit);
  }
  return number;
}

class Parser {
 public:
  Parser(std::string_view text, Hive hive) : text_(text), hive_(hive) {}

  HiveData run() {
    std::string_view line;
    if (!nextLine(line) || trimRight(line) != kHeader) fail(1, "missing header line");
    while (nextLine(line)) {
      line = trimLeft(trimRight(line));
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        section(line);
      } else if (line.front() == '"' || line.front() == '@') {
        value(line);
      } else {
        fail(lineNumber_, "unexpected text");
      }
    }
    return std::move(data_);
  }

 private:
  bool nextLine(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const auto end = text_.find('\n', pos_);
    const auto stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(pos_, stop - pos_);
    pos_ = stop == text_.size() ? stop : stop + 1;
    ++lineNumber_;
    return true;
  }

  void section(std::string_view line) {
    if (line.back() != ']') fail(lineNumber_, "unterminated key name");
    const std::string name = toCp1252(line.substr(1, line.size() - 2));
    const std::string_view root = hiveName(hive_);
    const std::string_view head = std::string_view(name).substr(0, root.size());
    if (foldCase(head) != root) fail(lineNumber_, "key outside " + std::string(root));
    std::string_view path = std::string_view(name).substr(root.size());
    if (!path.empty()) {
      if (path.front() != '\\') fail(lineNumber_, "key outside " + std::string(root));
      path.remove_prefix(1);
      if (path.empty()) fail(lineNumber_, "invalid key name");
    }
    current_ = data_.createKey(path);
    if (!current_) fail(lineNumber_, "invalid key name");
  }

  // A quoted string at the start of `rest`; advances past its closing quote.
  std::string quoted(std::string_view& rest) {
    std::string utf8;
    std::size_t i = 1;
    for (;; ++i) {
      if (i >= rest.size()) fail(lineNumber_, "unterminated string");
      const char c = rest[i];
      if (c == '"') break;
      if (c == '\\') {
        if (i + 1 >= rest.size() || (rest[i + 1] != '\\' && rest[i + 1] != '"')) {
          fail(lineNumber_, "invalid escape in string");
        }
        ++i;
      }
      utf8 += rest[i];
    }
    rest.remove_prefix(i + 1);
    return toCp1252(utf8);
  }

  void value(std::string_view line) {
    if (!current_) fail(lineNumber_, "value outside a key");
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      name = quoted(line);
      if (!isValidValueName(name)) fail(lineNumber_, "invalid value name");
    }
    line = trimLeft(line);
    if (line.empty() || line.front() != '=') fail(lineNumber_, "missing '='");
    line = trimLeft(line.substr(1));
    current_->set(name, data(line));
  }

  Value data(std::string_view line) {
    if (!line.empty() && line.front() == '"') {
      std::string text = quoted(line);
      if (!trimLeft(line).empty()) fail(lineNumber_, "text after string");
      return Value::string(std::move(text));
    }
    if (line.starts_with("dword:")) {
      const std::string_view digits = line.substr(6);
      const auto number = parseHexNumber(digits);
      if (digits.size() != 8 || !number) fail(lineNumber_, "invalid dword");
      return Value::dword(*number);
    }
    if (line.starts_with("hex")) {
      line.remove_prefix(3);
      std::uint32_t type = static_cast<std::uint32_t>(ValueType::Binary);
      if (!line.empty() && line.front() == '(') {
        const auto close = line.find(')');
        const auto number = close == std::string_view::npos
                                ? std::nullopt
                                : parseHexNumber(line.substr(1, close - 1));
        if (!number) fail(lineNumber_, "invalid value type");
        type = *number;
        line.remove_prefix(close + 1);
      }
      if (line.empty() || line.front() != ':') fail(lineNumber_, "unknown value type");
      return typedBytes(static_cast<ValueType>(type), bytes(line.substr(1)));
    }
    fail(lineNumber_, "unknown value type");
  }

  // Comma-separated byte pairs; a trailing backslash continues on the next line.
  std::string bytes(std::string_view list) {
    std::string out;
    for (;;) {
      list = trimLeft(list);
      bool continued = false;
      if (!list.empty() && list.back() == '\\') {
        continued = true;
        list = trimRight(list.substr(0, list.size() - 1));
      }
      while (!list.empty()) {
        if (list.size() < 2 || content::hexDigitValue(list[0]) < 0 ||
            content::hexDigitValue(list[1]) < 0) {
          fail(lineNumber_, "invalid byte list");
        }
        out += static_cast<char>(content::hexDigitValue(list[0]) * 16 +
                                 content::hexDigitValue(list[1]));
        list = trimLeft(list.substr(2));
        if (list.empty()) {
          if (continued) fail(lineNumber_, "invalid byte list");
          break;
        }
        if (list.front() != ',') fail(lineNumber_, "invalid byte list");
        list = trimLeft(list.substr(1));
        if (list.empty() && !continued) fail(lineNumber_, "invalid byte list");
      }
      if (!continued) return out;
      std::string_view next;
      if (!nextLine(next)) fail(lineNumber_, "file ends inside a value");
      list = trimRight(next);
    }
  }

  // hex(1) and hex(2) hold UTF-16LE text with a terminating NUL.
  Value typedBytes(ValueType type, std::string raw) {
    if (type == ValueType::String || type == ValueType::ExpandString) {
      if (raw.size() % 2 != 0) fail(lineNumber_, "odd length of text data");
      std::string text;
      const auto unitAt = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                     (static_cast<unsigned char>(raw[i + 1]) << 8));
      };
      for (std::size_t i = 0; i < raw.size(); i += 2) {
        const char16_t unit = unitAt(i);
        // A surrogate pair is one character, and never a Windows-1252 one.
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 2 < raw.size() && unitAt(i + 2) >= 0xDC00 &&
            unitAt(i + 2) <= 0xDFFF) {
          i += 2;
        }
        text += static_cast<char>(unicodeToCp1252(unit).value_or('?'));
      }
      if (!text.empty() && text.back() == '\0') text.pop_back();
      return {type, std::move(text)};
    }
    return {type, std::move(raw)};
  }

  std::string_view text_;
  Hive hive_;
  std::size_t pos_ = 0;
  std::size_t lineNumber_ = 0;
  HiveData data_;
  Key* current_ = nullptr;
};

}  // namespace

ParseResult parseRegFile(std::string_view text, Hive hive) {
  if (text.size() > kMaxRegFileSize) return {{}, "file too large"};
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  if (!isValidUtf8(text)) return {{}, "not UTF-8 text"};
  try {
    return {Parser(text, hive).run(), {}};
  } catch (const ParseError& error) {
    return {{}, error.message};
  }
}

}  // namespace pellora::settings
