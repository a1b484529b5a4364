#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe {

// The link codec: Base64 of a text taken as bytes of the ANSI code page, and the way back,
// aware of double-byte characters. Keeps no state; any instance behaves alike.
class Class1 {
public:
    // The padded Base64 text (RFC 4648 alphabet, no line breaks) of the ANSI bytes of
    // `InStr1`, of any length. A character the code page lacks is encoded as "?".
    std::u16string Base64Encode(std::u16string_view InStr1) const;

    // Decodes the ANSI bytes of `InStr1` four at a time and never rejects anything: a
    // character outside the alphabet ("=" included) counts as the value 0, a lone last
    // character is ignored, and a last group of two or three characters is read as if
    // completed with "=". Padding is not trimmed and one spare zero byte follows, so the
    // text ends in NUL characters: callers keep what precedes the first.
    // The bytes before the first zero are read as UTF-8 where utf8Reading gives them; otherwise
    // they are walked as ANSI bytes (AnsiBytesToText).
    std::u16string Base64Decode(std::u16string_view InStr1) const;

private:
    // Encodes the first `count` (1 to 3) bytes of `inGroup` as four Base64 characters,
    // with "=" for what `count` leaves out. Clears the bytes past `count` first.
    static void Base64EncodeGroup(std::array<std::uint8_t, 3>& inGroup,
                                  std::array<char16_t, 4>& outGroup, int count);

    // Replaces the four characters of `inGroup` by their 6-bit values and decodes them
    // into three bytes. `count` becomes the number of characters outside the alphabet.
    static void Base64DecodeGroup(std::array<std::uint8_t, 4>& inGroup,
                                  std::array<std::uint8_t, 3>& outGroup, int& count);

    // Walks ANSI bytes into text: a byte below 0x80 is its own character, and so is a byte
    // that the code page holds as a character of one byte (0x80, "€", in code page 936); any
    // other byte is a lead byte and forms one two-byte code with the byte after it, whatever
    // that is (a zero too): a code the code page does not define reads as one "?". A lead
    // byte in the last place stands alone. Nothing (no array) gives the empty
    // text.
    static std::u16string AnsiBytesToText(std::optional<std::span<const std::uint8_t>> value);
};

} // namespace orvanthe
