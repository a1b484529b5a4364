#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe {

// The Base64 alphabet (RFC 4648) that every link's body is written in.
inline constexpr std::string_view base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of each byte of the alphabet, and -1 for every other byte.
inline constexpr auto base64Values = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (std::size_t s = 0; s < base64Alphabet.size(); ++s) {
        values[std::uint8_t(base64Alphabet[s])] = std::int8_t(s);
    }
    return values;
}();

// Appends the padded Base64 of `bytes`, with no line breaks.
void appendBase64(std::span<const std::uint8_t> bytes, std::string& out);

// What appendBase64 does, by the plain loop alone: the definition its faster loop must meet.
void appendBase64Plain(std::span<const std::uint8_t> bytes, std::string& out);

// Decodes a body of the alphabet and "=", which counts as the value 0 wherever it stands:
// each group of four characters into three bytes at `to`, a last group of two or three as
// if completed with "=", a lone last character checked only. Writes three bytes for each
// group begun and may write four more. False where the body holds any other character, and
// then what it wrote means nothing.
bool decodeBase64(std::string_view body, std::uint8_t* to);

// What decodeBase64 does, by the plain loop alone: the definition its faster loops must meet.
bool decodeBase64Plain(std::string_view body, std::uint8_t* to);

} // namespace orvanthe
