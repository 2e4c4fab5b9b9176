#include "content/case_map.h"

namespace pellora::content {

unsigned char toUpperCp1252(unsigned char byte) {
  if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
    return static_cast<unsigned char>(byte - 0x20);
  }
  switch (byte) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return byte;
  }
}

unsigned char toLowerCp1252(unsigned char byte) {
  if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
    return static_cast<unsigned char>(byte + 0x20);
  }
  switch (byte) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return byte;
  }
}

unsigned char otherCaseCp1252(unsigned char byte) {
  const unsigned char upper = toUpperCp1252(byte);
  return upper != byte ? upper : toLowerCp1252(byte);
}

}  // namespace pellora::content
