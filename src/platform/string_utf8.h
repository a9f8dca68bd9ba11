// The UTF-8 routines every part of the program uses on script text. Script
// text knows characters of one to three bytes (16-bit code points); a lead
// byte 0xF0..0xF7 is read as a three-byte sequence. Continuation bytes are
// not checked, but no routine ever reads past the terminating NUL: a
// sequence cut short by it ends there. Indexes and counts are characters.
// A null text is the empty text everywhere.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// The character at *cursor; the cursor advances past it (never past a NUL).
uint16_t UTF8_GetChar(const char** cursor);
// Appends the character as 1, 2 or 3 bytes; no terminator.
void UTF8_PutChar(std::string& out, uint16_t character);
// Characters before the first NUL.
int32_t UTF8_Length(const char* text);
// First differing characters, first minus second; the terminator counts as
// character 0. CompareN looks at no more than n characters.
int32_t UTF8_Compare(const char* first, const char* second);
int32_t UTF8_CompareN(const char* first, const char* second, int32_t n);
// Only the characters below 128, in order.
std::string UTF8_ToAscii(const char* text);
// 0-based index of the first place in haystack where all of needle follows;
// -1 when either is empty or there is none.
int32_t UTF8_Find(const char* needle, const char* haystack);
// At most count characters from start on (start past the end: empty).
std::string UTF8_Substring(const char* text, int32_t start, int32_t count);
// Removes up to count characters from position (1-based) in place. A
// position outside 1..length or a count below 1 changes nothing.
void UTF8_DeleteRange(std::string& text, int32_t position, int32_t count);
// text with the first (or every) occurrence of pattern replaced; replaced
// text is never searched again. An empty pattern replaces nothing.
std::string String_Replace(const char* text, const char* pattern, const char* replacement, bool all);
// In place: each '#' becomes a carriage return and "\#" a single '#'. The
// text never grows. Returns the number of characters left.
int32_t ShowMessage_ConvertText(std::string& text);

}  // namespace bw
