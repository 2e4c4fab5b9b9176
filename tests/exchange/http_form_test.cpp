// The form body built in one pass against the construction it replaces:
// lines joined with CR LF, every CR LF then "&" (two lines or more), the
// whole trimmed of control bytes; byte for byte on a table of inputs.
#include "exchange/http_form.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "content/extract_body.h"
#include "content/url_encode.h"

namespace pellora::exchange {
namespace {

// The construction the one-pass builder replaces, kept here as the oracle.
std::string joinedTheOldWay(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& field : fields) text += field + "\r\n";
  if (fields.size() >= 2) {
    std::string joined;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        joined += '&';
        ++i;
      } else {
        joined += text[i];
      }
    }
    text = std::move(joined);
  }
  return content::TrimControl(text);
}

std::vector<std::string> joinedLines(const std::vector<FormLine>& lines) {
  std::vector<std::string> fields;
  for (const FormLine& line : lines) {
    fields.push_back(std::string(line.head) +
                     (line.encode ? content::UrlEncode(line.value) : std::string(line.value)));
  }
  return fields;
}

TEST(HttpFormTest, OnePassBodyEqualsTheOldConstruction) {
  const std::string high = "caf\xE9 \x80\x81\xFF";
  const std::vector<std::vector<FormLine>> table = {
      {},
      {{"", "", false}},
      {{"edtype=ax", "", false}},
      {{"a=", "1", false}, {"b=", "2", false}},
      // The save's four lines.
      {{"content=", "Sample 1", true},
       {"htmlsource=", "<p>a &amp; b</p>\r\n<p>\"x\"</p>\n", true},
       {"auth=", "0f3c9a7e", false},
       {"edtype=ax", "", false}},
      // A CR LF inside a raw value joins too; a lone CR or LF does not.
      {{"auth=", "x\r\ny", false}, {"n=", "\r", false}, {"m=", "\n", false}},
      // A CR that ends a value pairs with nothing: the line's own CR LF does.
      {{"a=", "1\r", false}, {"b=", "\r\r\n\n", false}},
      // Control bytes at both ends are trimmed; inside they stay.
      {{" \t", "\x01 x", false}, {"y", " \x1F", false}},
      {{"\r\n", "", false}, {"", "\r\n", false}},
      {{"  ", "   ", false}},
      {{"", "", false}, {"", "", false}},
      // Encoded values of every byte.
      {{"v=", high, true}, {"w=", "\r\n \x7F\x20", true}},
      {{"only=", "\r\n", false}},
      {{"one=", " spaced \r\n", false}},
  };
  for (const std::vector<FormLine>& lines : table) {
    const std::vector<std::string> fields = joinedLines(lines);
    std::string trace;
    for (const std::string& f : fields) trace += "[" + f + "]";
    SCOPED_TRACE(trace);
    EXPECT_EQ(formPostBody(lines), joinedTheOldWay(fields));
    EXPECT_EQ(formPostBody(fields), joinedTheOldWay(fields));
  }
}

TEST(HttpFormTest, RandomLinesOfControlBytesMatchTheOldConstruction) {
  // Bytes chosen so that CR, LF and blanks meet in every order.
  const char alphabet[] = {'\r', '\n', ' ', '\t', 'a', '&', '%', '\x01', '\xE9'};
  std::mt19937 random(11);
  auto below = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> storage;
    const std::size_t count = below(5);
    for (std::size_t i = 0; i < 2 * count; ++i) {
      std::string part;
      for (std::size_t n = below(6); n > 0; --n) part += alphabet[below(sizeof alphabet)];
      storage.push_back(part);
    }
    std::vector<FormLine> lines;
    for (std::size_t i = 0; i < count; ++i)
      lines.push_back({storage[2 * i], storage[2 * i + 1], below(2) == 0});
    const std::vector<std::string> fields = joinedLines(lines);
    ASSERT_EQ(formPostBody(lines), joinedTheOldWay(fields)) << "round " << round;
  }
}

TEST(UrlEncodeSizeTest, SizeAndWriterAgreeWithTheEncoder) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (const std::string& value : {std::string(), all, std::string("a,b-c_d 9")}) {
    const std::string encoded = content::UrlEncode(value);
    EXPECT_EQ(content::UrlEncodedSize(value), encoded.size());
    std::string written(encoded.size(), '?');
    EXPECT_EQ(content::UrlEncodeInto(value, written.data()), written.data() + written.size());
    EXPECT_EQ(written, encoded);
  }
  EXPECT_EQ(content::UrlEncode("a b,\xFF"), "a%20b,%FF");
}

}  // namespace
}  // namespace pellora::exchange
