// The form body built in one pass against the construction it replaces:
// lines joined with CR LF, every CR LF then "&" (two lines or more), the
// whole trimmed of control bytes; byte for byte on a table of inputs.
#include "exchange/http_form.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "content/url_encode.h"
#include "exchange/form_body_stream.h"
#include "support/plain_form_body.h"

namespace pellora::exchange {
namespace {

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
    EXPECT_EQ(formPostBody(lines), test::plainFormBody(fields));
    EXPECT_EQ(formPostBody(fields), test::plainFormBody(fields));
  }
}

// Lines of bytes chosen so that CR, LF and blanks meet in every order; the
// texts live in `storage`.
class RandomLines {
 public:
  explicit RandomLines(unsigned seed) : random_(seed) {}
  std::size_t below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
  }
  std::vector<FormLine> next(std::vector<std::string>& storage) {
    static constexpr char kAlphabet[] = {'\r', '\n', ' ', '\t', 'a', '&', '%', '\x01', '\xE9'};
    storage.clear();
    const std::size_t count = below(5);
    for (std::size_t i = 0; i < 2 * count; ++i) {
      std::string part;
      for (std::size_t n = below(6); n > 0; --n) part += kAlphabet[below(sizeof kAlphabet)];
      storage.push_back(part);
    }
    std::vector<FormLine> lines;
    for (std::size_t i = 0; i < count; ++i)
      lines.push_back({storage[2 * i], storage[2 * i + 1], below(2) == 0});
    return lines;
  }

 private:
  std::mt19937 random_;
};

TEST(HttpFormTest, RandomLinesOfControlBytesMatchTheOldConstruction) {
  RandomLines random(11);
  std::vector<std::string> storage;
  for (int round = 0; round < 2000; ++round) {
    const std::vector<FormLine> lines = random.next(storage);
    const std::vector<std::string> fields = joinedLines(lines);
    ASSERT_EQ(formPostBody(lines), test::plainFormBody(fields)) << "round " << round;
  }
}

// The body as the client sends it: asked for in pieces of any size from
// three bytes up, it gives exactly the bytes of the whole, never half an
// escape, and says how many before the first.
TEST(FormBodyStreamTest, PiecesOfAnySizeMakeTheWholeBody) {
  RandomLines random(29);
  std::vector<std::string> storage;
  for (int round = 0; round < 2000; ++round) {
    const std::vector<FormLine> lines = random.next(storage);
    const std::string whole = test::plainFormBody(joinedLines(lines));
    FormBodyStream stream(lines);
    ASSERT_EQ(stream.size(), whole.size()) << "round " << round;
    std::string streamed;
    char piece[8];
    while (const std::size_t n = stream.read(piece, 3 + random.below(6))) {
      streamed.append(piece, n);
      ASSERT_LE(streamed.size(), whole.size()) << "round " << round;
    }
    ASSERT_EQ(streamed, whole) << "round " << round;
  }
}

TEST(FormBodyStreamTest, ALargeEncodedValueGoesOutInWholeEscapes) {
  std::string value;
  for (int i = 0; i < 100000; ++i) value += static_cast<char>(i % 256);
  const FormLine lines[] = {{"htmlsource=", value, true}, {"auth=", "T0k", false}};
  const std::string whole = "htmlsource=" + content::UrlEncode(value) + "&auth=T0k&";
  FormBodyStream stream(lines);
  ASSERT_EQ(stream.size(), whole.size());
  std::string streamed;
  std::vector<char> piece(4096);
  std::size_t pieces = 0;
  while (const std::size_t n = stream.read(piece.data(), piece.size())) {
    streamed.append(piece.data(), n);
    // Only the last piece is short by more than a cut escape.
    if (streamed.size() < whole.size()) {
      EXPECT_GE(n, piece.size() - 2);
    }
    ++pieces;
    // An escape is never cut: what is sent so far ends in a whole one.
    const std::size_t percent = streamed.rfind('%');
    if (percent != std::string::npos) {
      EXPECT_LE(percent + 3, streamed.size());
    }
  }
  EXPECT_EQ(streamed, whole);
  EXPECT_GT(pieces, 1u);
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
