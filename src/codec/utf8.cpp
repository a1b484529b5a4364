#include "utf8.h"

namespace orvanthe {

namespace {

// Walks strict UTF-8, handing each character's UTF-16 units to `emit`; false at the first
// byte that breaks the rules or uses a form `forms` excludes.
template <typename Emit>
bool walkUtf8(std::span<const std::uint8_t> bytes, Utf8Forms forms, Emit emit) {
    const std::uint8_t* from = bytes.data();
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size;) {
        const std::uint8_t lead = from[i];
        if (lead < 0x80) {
            emit(lead);
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
                return false;
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
            return false;
        }
        if (size - i < length || from[i + 1] < low || from[i + 1] > high) {
            return false;
        }
        char32_t code = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const std::uint8_t next = from[i + k];
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = code << 6 | (next & 0x3F);
        }
        if (code < 0x10000) {
            emit(char16_t(code));
        } else {
            code -= 0x10000;
            emit(char16_t(0xD800 + (code >> 10)), char16_t(0xDC00 + (code & 0x3FF)));
        }
        i += length;
    }
    return true;
}

} // namespace

bool isUtf8(std::span<const std::uint8_t> bytes, Utf8Forms forms) {
    return walkUtf8(bytes, forms, [](auto...) {});
}

std::optional<std::u16string> decodeUtf8(std::span<const std::uint8_t> bytes, Utf8Forms forms) {
    // Never more units than bytes; size once, write through a pointer, trim at the end.
    std::u16string text(bytes.size(), u'\0');
    char16_t* to = text.data();
    if (!walkUtf8(bytes, forms, [&to](auto... units) { ((*to++ = char16_t(units)), ...); })) {
        return std::nullopt;
    }
    text.resize(std::size_t(to - text.data()));
    return text;
}

std::string encodeUtf8(std::u16string_view text, LoneSurrogates lone) {
    // At most three bytes per unit (a surrogate pair takes four for its two units).
    std::string bytes(3 * text.size(), '\0');
    char* to = bytes.data();
    const char16_t* from = text.data();
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        char32_t code = from[i];
        if (code < 0x80) {
            *to++ = char(code);
            continue;
        }
        if (code >= 0xD800 && code <= 0xDFFF) {
            const bool paired =
                code <= 0xDBFF && i + 1 < size && from[i + 1] >= 0xDC00 && from[i + 1] <= 0xDFFF;
            code = paired ? 0x10000 + ((code - 0xD800) << 10) + (from[++i] - 0xDC00)
                   : lone == LoneSurrogates::Keep ? code
                                                  : 0xFFFD;
        }
        if (code < 0x800) {
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
    }
    bytes.resize(std::size_t(to - bytes.data()));
    return bytes;
}

} // namespace orvanthe
