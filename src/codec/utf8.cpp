#include "utf8.h"

namespace orvanthe {

namespace {

// Walks strict UTF-8, handing each character's UTF-16 units to `emit`; false at the first
// byte that breaks the rules or uses a form `forms` excludes.
template <typename Emit>
bool walkUtf8(std::span<const std::uint8_t> bytes, Utf8Forms forms, Emit emit) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto [code, length] = readUtf8(bytes.subspan(i));
        if (length == 0 || (length == 2 && forms == Utf8Forms::WithoutTwoByte)) {
            return false;
        }
        if (code < 0x10000) {
            emit(char16_t(code));
        } else {
            emit(char16_t(0xD800 + ((code - 0x10000) >> 10)), char16_t(0xDC00 + (code & 0x3FF)));
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
        if (code >= 0xD800 && code <= 0xDFFF) {
            const bool paired =
                code <= 0xDBFF && i + 1 < size && from[i + 1] >= 0xDC00 && from[i + 1] <= 0xDFFF;
            code = paired ? 0x10000 + ((code - 0xD800) << 10) + (from[++i] - 0xDC00)
                   : lone == LoneSurrogates::Keep ? code
                                                  : 0xFFFD;
        }
        to = writeUtf8(code, to);
    }
    bytes.resize(std::size_t(to - bytes.data()));
    return bytes;
}

} // namespace orvanthe
