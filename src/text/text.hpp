// Text helpers shared by the parsers: token cutting and decimal conversion.
#pragma once

#include <cstdint>

namespace vantrel::text {

// Cuts the next token out of the writable text at `cursor`: skips any run of
// `delimiter`, reads up to the next delimiter or the end, overwrites that
// delimiter with a terminator and moves `cursor` past it. Returns nullptr when
// nothing but delimiters is left, so empty fields vanish.
char* cutToken(char*& cursor, char delimiter);

// Converts a text that passed isInt. Returns false, leaving `value` alone,
// when the number lies outside the signed 32-bit range. A sign alone is 0.
bool convertInt32(const char* text, std::int32_t& value);

// Reads the leading decimal integer of any text, as the C library's strtol
// does (white space, optional sign, digits; 0 without digits), saturating at
// the limits of the signed 32-bit range instead of overflowing.
std::int32_t leadingInt32(const char* text);

bool isDigit(char c);
bool contains(const char* text, char c);

}  // namespace vantrel::text
