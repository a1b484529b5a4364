#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe {

enum class Utf8Forms {
    All,            // every well-formed sequence
    WithoutTwoByte, // no character in U+0080..U+07FF (so code page 936 text rarely passes)
};

// One character of strict UTF-8: its code and its number of bytes; 0 bytes where the bytes at
// the start break the rules (an overlong form, a surrogate, anything above U+10FFFF, a
// sequence cut short) or begin with no lead byte.
struct Utf8Character {
    char32_t code = 0;
    std::size_t length = 0;
};

// The character at the start of `bytes`, which are not empty.
inline Utf8Character readUtf8(std::span<const std::uint8_t> bytes) {
    const std::uint8_t lead = bytes[0];
    if (lead < 0x80) {
        return {lead, 1};
    }
    // The length, and the range the second byte must lie in (this rules out overlong forms,
    // surrogates and anything above U+10FFFF in one check).
    std::size_t length = 2;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else if (lead < 0xC2 || lead > 0xDF) {
        return {};
    }
    if (bytes.size() < length || bytes[1] < low || bytes[1] > high) {
        return {};
    }
    char32_t code = lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80) {
            return {};
        }
        code = code << 6 | (bytes[k] & 0x3Fu);
    }
    return {code, length};
}

// Writes the UTF-8 form of `code` (at most U+10FFFF; a surrogate takes the three bytes of its
// form) at `to`; gives the end.
inline char* writeUtf8(char32_t code, char* to) {
    if (code < 0x80) {
        *to++ = char(code);
    } else if (code < 0x800) {
        *to++ = char(0xC0 | code >> 6);
        *to++ = char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *to++ = char(0xE0 | code >> 12);
        *to++ = char(0x80 | (code >> 6 & 0x3F));
        *to++ = char(0x80 | (code & 0x3F));
    } else {
        *to++ = char(0xF0 | code >> 18);
        *to++ = char(0x80 | (code >> 12 & 0x3F));
        *to++ = char(0x80 | (code >> 6 & 0x3F));
        *to++ = char(0x80 | (code & 0x3F));
    }
    return to;
}

// Strict UTF-8 to UTF-16: no overlong forms, no surrogates, nothing above U+10FFFF.
// Gives nothing for bytes that break these rules or use a form `forms` excludes.
std::optional<std::u16string> decodeUtf8(std::span<const std::uint8_t> bytes,
                                         Utf8Forms forms = Utf8Forms::All);

// Whether `bytes` are strict UTF-8 of the forms `forms` allows, as decodeUtf8 reads them;
// finds out without making the text.
bool isUtf8(std::span<const std::uint8_t> bytes, Utf8Forms forms = Utf8Forms::All);

enum class LoneSurrogates {
    Replace, // as U+FFFD
    Keep,    // as the three bytes of their code, which strict UTF-8 refuses
};

// UTF-16 to UTF-8; a lone surrogate becomes what `lone` says.
std::string encodeUtf8(std::u16string_view text, LoneSurrogates lone = LoneSurrogates::Replace);

} // namespace orvanthe
