// Base64 (RFC 4648, standard alphabet, '=' padding) for the encoding built-ins
// and the network code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// One line of text: no line breaks however long the input.
std::string Base64_Encode(const uint8_t* bytes, size_t length);

// Encodes bytes that arrive in pieces to the text Base64_Encode gives for
// them joined, so that a large input never has to be joined first.
class Base64Encoder {
public:
    // length: how many bytes will be added in all, so that the text's room
    // is taken once.
    explicit Base64Encoder(size_t length);
    void Add(const uint8_t* bytes, size_t length);
    // The text, its last group padded; the encoder is spent.
    std::string Finish();

private:
    // count: 1 to 3 bytes; fewer than 3 make a padded group.
    void EncodeGroup(const uint8_t* group, size_t count);

    std::string m_text;
    uint8_t m_pending[3] = {};  // the start of a group the next piece completes
    size_t m_pendingCount = 0;
};

// Decodes up to the first '=' or the first character outside the alphabet
// (line breaks included), whichever comes first. A trailing group of two or
// three characters gives one or two bytes; a single trailing character gives
// none, having fewer than eight bits.
std::vector<uint8_t> Base64_Decode(std::string_view text);

// As above into a caller's buffer: writes at most `capacity` bytes and returns
// how many it wrote, so a buffer sized too small loses the tail, never memory.
size_t Base64_Decode(std::string_view text, uint8_t* out, size_t capacity);

// True for a letter, digit, '+' or '/'.
bool Base64_IsChar(char ch);

// The character's value 0..63, or -1 outside the alphabet.
int Base64_CharValue(char ch);

}  // namespace bw
