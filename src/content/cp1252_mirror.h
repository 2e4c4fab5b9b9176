// The Windows-1252 form of a UTF-8 text that is edited in place (the HTML
// view's buffer), kept in step edit by edit so that no edit converts the
// whole text. The UTF-8 side counts characters, this side bytes: every
// character is one byte, except one that Windows-1252 lacks, which stands as
// a numeric character reference of several bytes ("&#322;"). Those are
// indexed, so offsets map both ways without a scan of the text.
//
// The bytes live in a gap buffer: an edit moves only the bytes between it
// and the previous edit, so typing costs the size of what was typed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::content {

class Cp1252Mirror {
 public:
  // Starts over from Windows-1252 text, every byte one character.
  void assign(std::string_view cp1252);
  // Replaces the characters [from, to) by `utf8` (offsets are clamped).
  void replace(std::size_t from, std::size_t to, std::string_view utf8);

  std::size_t chars() const { return bytes() - extraBefore(wide_.size()); }
  std::size_t bytes() const { return buf_.size() - (gapEnd_ - gapStart_); }
  // Where character `charOffset` starts (past the end: the end).
  std::size_t byteOffset(std::size_t charOffset) const;
  // The character that holds byte `byteOffset`: a byte inside a reference
  // belongs to the referenced character (past the end: the end).
  std::size_t charOffset(std::size_t byteOffset) const;
  // The whole text, as utf8ToCp1252 gives it for the mirrored text.
  std::string text() const;

 private:
  // A character written as a reference: its character offset and the
  // extra bytes (beyond one per character) of it and all before it.
  struct Wide {
    std::size_t charPos;
    std::size_t extraThrough;
  };
  // Extra bytes of the first `count` wide characters.
  std::size_t extraBefore(std::size_t count) const {
    return count == 0 ? 0 : wide_[count - 1].extraThrough;
  }
  // Index of the first wide character at or after `charOffset`.
  std::size_t firstWideFrom(std::size_t charOffset) const;
  void moveGap(std::size_t at);
  void reserveGap(std::size_t size);

  std::vector<Wide> wide_;
  std::string buf_;
  std::size_t gapStart_ = 0;
  std::size_t gapEnd_ = 0;
};

}  // namespace pellora::content
