// Feeds arbitrary bytes as a server's answer through the client's answer
// reading (head, interim answers, every body framing, cookie storing). Any
// input must end in a body or one of the client's own exceptions.
#include <cstddef>
#include <cstdint>
#include <string>

#include "exchange/cookie_jar.h"
#include "exchange/http_answer.h"
#include "exchange/http_text.h"
#include "exchange/id_exceptions.h"

namespace {

// Hands the input out in pieces whose sizes the input's first byte varies,
// as a socket would.
class FuzzSource : public pellora::exchange::ByteSource {
 public:
  FuzzSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
    if (size_ > 0) {
      step_ = 1 + data_[0] % 61;
      ++data_;
      --size_;
    }
  }
  std::size_t receive(char* buffer, std::size_t capacity) override {
    std::size_t n = std::min({capacity, size_, step_ * (1 + (turn_++ % 97))});
    for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>(data_[i]);
    data_ += n;
    size_ -= n;
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t step_ = 4096;
  std::size_t turn_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pellora::exchange;
  FuzzSource source(data, size);
  WorkMeter meter;
  std::int64_t counted = 0;
  meter.onWork = [&](TWorkMode, std::int64_t count) { counted = count; };
  HttpInput input(source, [&](std::size_t n) { meter.add(wmRead, static_cast<std::int64_t>(n)); });
  CookieJar jar;
  const HttpUrl url = parseHttpUrl("http://www.example.com/a/b.html");
  try {
    const HttpAnswerHead head = readAnswerHead(input, [&](const HttpAnswerHead& h) {
      for (const auto& [name, value] : h.headers) {
        if (equalsIgnoringCase(name, "Set-Cookie")) jar.store(value, url, 1700000000);
      }
    });
    BodyBuffer body;
    readAnswerBody(input, head, body, meter);
    const std::string text = body.take();
    if (text.size() > size) __builtin_trap();  // a body cannot hold more than was sent
    (void)jar.cookieHeader(url);
  } catch (const EIdException&) {
  }
  if (meter.level(wmRead) != 0) __builtin_trap();  // every phase closes, however reading ends
  (void)counted;
  return 0;
}
