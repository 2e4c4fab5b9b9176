// The failure of a pattern that cannot be compiled. It carries a readable
// message (which already names the position) and the 1-based position in
// the pattern text at which the fault was found. Matchers raise it at the
// first match call after the faulty pattern was set, not when it is set.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace pellora::content {

class EPatternError : public std::runtime_error {
 public:
  EPatternError(const std::string& what, std::size_t position)
      : std::runtime_error(what + " at position " + std::to_string(position)),
        position_(position) {}

  // 1-based byte position in the pattern text.
  std::size_t position() const { return position_; }

 private:
  std::size_t position_;
};

}  // namespace pellora::content
