#include "utf8.h"

namespace orvanthe {

std::optional<std::u16string> decodeUtf8(std::span<const std::uint8_t> bytes, Utf8Forms forms) {
    std::u16string text;
    text.reserve(bytes.size());
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size;) {
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            text.push_back(lead);
            ++i;
            continue;
        }
        // Sequence length, and the range the second byte must lie in (this rules out
        // overlong forms, surrogates and anything above U+10FFFF in one check).
        std::size_t length = 0;
        std::uint8_t low = 0x80;
        std::uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            if (forms == Utf8Forms::WithoutTwoByte) {
                return std::nullopt;
            }
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return std::nullopt;
        }
        if (size - i < length || bytes[i + 1] < low || bytes[i + 1] > high) {
            return std::nullopt;
        }
        char32_t code = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const std::uint8_t next = bytes[i + k];
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            code = code << 6 | (next & 0x3F);
        }
        if (code < 0x10000) {
            text.push_back(char16_t(code));
        } else {
            code -= 0x10000;
            text.push_back(char16_t(0xD800 + (code >> 10)));
            text.push_back(char16_t(0xDC00 + (code & 0x3FF)));
        }
        i += length;
    }
    return text;
}

std::string encodeUtf8(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDFFF) {
            const bool paired = code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                                text[i + 1] <= 0xDFFF;
            code = paired ? 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00) : 0xFFFD;
        }
        if (code < 0x80) {
            bytes.push_back(char(code));
        } else if (code < 0x800) {
            bytes.push_back(char(0xC0 | code >> 6));
            bytes.push_back(char(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            bytes.push_back(char(0xE0 | code >> 12));
            bytes.push_back(char(0x80 | (code >> 6 & 0x3F)));
            bytes.push_back(char(0x80 | (code & 0x3F)));
        } else {
            bytes.push_back(char(0xF0 | code >> 18));
            bytes.push_back(char(0x80 | (code >> 12 & 0x3F)));
            bytes.push_back(char(0x80 | (code >> 6 & 0x3F)));
            bytes.push_back(char(0x80 | (code & 0x3F)));
        }
    }
    return bytes;
}

} // namespace orvanthe
