#include "reading.h"

#include "code_page.h"
#include "utf8.h"

#include <algorithm>

namespace orvanthe {
namespace {

// What a character costs the reading that gives it: nothing for the characters addresses
// hold every day, a little for the letters, punctuation and symbols that text uses now and
// then, much for anything else (rare ideographs, private use, unassigned code points, bytes
// that are no character).
constexpr int ordinary = 0;
constexpr int unusual = 1;
constexpr int strange = 3;

// A character of GB2312, the common Chinese set: in the code page's rows 0xA1-0xF7 with
// trail bytes 0xA1-0xFE, and no character of private use that code page 936 puts there.
bool isCommonChinese(char32_t c) {
    if (c > 0xFFFF || (c >= 0xE000 && c <= 0xF8FF)) {
        return false;
    }
    const std::uint16_t bytes = CodePage::ansi().bytesOfUnit(char16_t(c));
    const unsigned lead = bytes >> 8;
    const unsigned trail = bytes & 0xFF;
    return lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

bool isUnusual(char32_t c) {
    constexpr std::pair<char32_t, char32_t> ranges[] = {
        {0x00A0, 0x024F},   // Latin-1 punctuation and symbols, Latin letters
        {0x0370, 0x04FF},   // Greek, Cyrillic
        {0x1E00, 0x1FFF},   // Latin and Greek with marks
        {0x2000, 0x27BF},   // punctuation, currency, arrows, symbols, dingbats
        {0x3000, 0x303F},   // CJK punctuation
        {0xFF00, 0xFFEF},   // full-width and half-width forms
        {0x1F300, 0x1FAFF}, // emoji
    };
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](const auto& range) { return c >= range.first && c <= range.second; });
}

int weightOf(char32_t c, bool utf8) {
    if (c < 0x80 || isCommonChinese(c)) {
        return ordinary;
    }
    // Korean and Japanese names, which code page 936 cannot give: their UTF-8 is read as such.
    const bool hangul = c >= 0xAC00 && c <= 0xD7A3;
    const bool kana = c >= 0x3040 && c <= 0x30FF;
    if (utf8 && (hangul || kana)) {
        return ordinary;
    }
    return isUnusual(c) ? unusual : strange;
}

int weightOfUtf8(std::u16string_view text) {
    int weight = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        char32_t c = text[k];
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < text.size()) { // a surrogate pair
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++k] - 0xDC00);
        }
        weight += weightOf(c, true);
    }
    return weight;
}

// As the decoder walks code page bytes: a pair the code page does not define, or a lead
// byte with no byte after it, is no character.
int weightOfCodePageText(std::span<const std::uint8_t> bytes) {
    const CodePage& codePage = CodePage::ansi();
    int weight = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t byte = bytes[i++];
        if (byte < 0x80) {
            continue;
        }
        if (codePage.isSingleByte(byte)) {
            weight += weightOf(codePage.textOfByte(byte), false);
        } else if (i == bytes.size()) {
            weight += strange;
        } else {
            char16_t text[2];
            const char16_t* end = codePage.writePair(byte, bytes[i++], text);
            for (const char16_t* c = text; c != end; ++c) {
                weight += *c == u'?' ? strange : weightOf(*c, false);
            }
        }
    }
    return weight;
}

} // namespace

std::optional<std::u16string> utf8Reading(std::span<const std::uint8_t> bytes) {
    if (std::none_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte >= 0x80; })) {
        return std::nullopt;
    }
    auto text = decodeUtf8(bytes, Utf8Forms::WithoutTwoByte);
    if (text && !utf8ReadingWins(*text, bytes)) {
        text.reset();
    }
    return text;
}

bool utf8ReadingWins(std::u16string_view text, std::span<const std::uint8_t> bytes) {
    return weightOfUtf8(text) <= weightOfCodePageText(bytes);
}

} // namespace orvanthe
