// Letter case of Windows-1252 bytes, as the ANSI case mapping of the
// platform defines it: ASCII letters, the Latin-1 letters 0xC0-0xDE /
// 0xE0-0xFE (except the multiplication and division signs) and the four
// letters of the 0x80-0x9F block (Š, Œ, Ž, Ÿ). Bytes without a case
// partner, such as ß or µ, map to themselves.
#pragma once

namespace pellora::content {

unsigned char toUpperCp1252(unsigned char byte);
unsigned char toLowerCp1252(unsigned char byte);

// The byte's upper-case form if that differs from it, else its lower-case
// form: the one other byte a case-insensitive comparison accepts.
unsigned char otherCaseCp1252(unsigned char byte);

}  // namespace pellora::content
