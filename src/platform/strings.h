// Small text routines shared by the whole program. Texts are UTF-8 inside the
// program; UTF-16 is only for the places that hand text to the outside in
// that form. Texts made here that outlive the call are memory-manager blocks,
// freed with MemoryManager_Free.
#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <locale.h>
#include <span>
#include <string>
#include <string_view>

namespace bw {

// Joins the non-null, non-empty texts into block, reallocated to fit, and
// returns it. A text may be (or point into) block itself. With nothing to
// join, block is freed and the result is null.
char* String_ConcatTexts(char* block, std::span<const char* const> texts);

template <typename... Texts>
char* String_Concat(char* block, Texts... texts)
{
    static_assert(sizeof...(Texts) >= 1 && sizeof...(Texts) <= 10, "one to ten texts");
    const std::array<const char*, sizeof...(Texts)> list{texts...};
    return String_ConcatTexts(block, list);
}

// UTF-8 <-> UTF-16. Ill-formed input never fails: each broken UTF-8 sequence
// and each unpaired surrogate becomes U+FFFD.
std::u16string String_ToWide(std::string_view text);
std::string String_FromWide(std::u16string_view text);

// *dest := a copy of text, reusing *dest when its block is large enough;
// a null text frees *dest and sets it to null.
void VCL_StringAssign(char** dest, const char* text);

// 1-based position of needle's first occurrence in haystack; 0 when it is
// absent or either text is null.
int32_t String_Pos(const char* needle, const char* haystack);

// The longest start of text, in bytes, that holds whole UTF-8 characters
// only and is at most limit bytes long: a cut there never splits one.
size_t String_WholeCharactersWithin(std::string_view text, size_t limit);

// The C locale, for the conversions whose text must not follow the
// process's locale (a decimal point, never a comma).
locale_t String_CLocale();

// The decimal number text starts with, read in the C locale whatever the
// process's: leading blanks, a sign, digits with at most one point (a digit
// before or after it), then an exponent where digits follow its 'e'. The
// reading stops at the first character that does not fit, so "0x10" is 0,
// and "inf" or "nan" are no number at all: 0, with *end at text. A number
// past the double range is an infinity, as any decimal conversion gives.
double String_ReadDecimal(const char* text, const char** end = nullptr);

// Nearest integer, ties to even. Reals beyond the 64-bit range saturate to
// INT64_MIN / INT64_MAX; NaN gives INT64_MIN, the processor's own answer for
// a conversion it cannot make.
int64_t Real_ToInt64(double x);

// A real written as printf would in the C locale whatever the process's
// locale: general ("%.<precision>g") or fixed ("%.<precision>f"), padded on
// the left with blanks to width.
std::string String_FromReal(double value, std::chars_format format, int precision, size_t width = 0);
// A whole real's integer with every digit, however large (no integer type
// holds a real past 2^63); -0 as "0".
std::string String_FromWholeReal(double whole);

}  // namespace bw
