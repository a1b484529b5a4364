#include "batch_fill.h"

#include "codec/code_page.h"
#include "codec/utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace orvanthe {
namespace {

// The link forms, in the order of their fields Text2, Text3, Text4.
constexpr std::array<std::string_view, 3> schemes = {"thunder://", "flashget://", "qqdl://"};
constexpr std::array<std::string_view, 3> heads = {"AA", "[FLASHGET]", ""};
constexpr std::array<std::string_view, 3> ends = {"ZZ", "[FLASHGET]", ""};
constexpr std::array<std::string_view, 3> tails = {"", "&velkaron777", ""};

constexpr std::string_view alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of each byte of a body in each of the four places of a group, shifted into
// place; "=" counts as 0, as the decoder has it; the top bit marks a byte that the batch path
// leaves to the form logic.
constexpr std::uint32_t refused = 0x8000'0000;
constexpr auto valueInPlace = [] {
    std::array<std::array<std::uint32_t, 256>, 4> values{};
    for (std::size_t place = 0; place < 4; ++place) {
        values[place].fill(refused);
        for (std::size_t s = 0; s < alphabet.size(); ++s) {
            values[place][std::uint8_t(alphabet[s])] = std::uint32_t(s << (18 - 6 * place));
        }
        values[place]['='] = 0;
    }
    return values;
}();

// Printable ASCII but "%", which a link may carry as an escape; the rest of ASCII is white
// space and control characters.
constexpr bool isPlainAscii(std::uint8_t byte) {
    return byte > 0x20 && byte < 0x7F && byte != '%';
}

// A character above ASCII that no rule of the form logic treats apart: no control character,
// no white space and nothing invisible or formatting (U+00A0, U+2000..U+206F, U+3000,
// U+FE00..U+FE0F, U+FEFF).
constexpr bool isPlainWide(char32_t c) {
    return c > 0xA0 && (c < 0x2000 || c > 0x206F) && c != 0x3000 && (c < 0xFE00 || c > 0xFE0F) &&
           c != 0xFEFF;
}

// How many of the eight bytes of `word`, in memory order, are printable ASCII before the
// first that is not ("%" counts as not, unless `percent`). Found by borrows, which mark the
// first such byte exactly: `below` one under 0x21, `del` 0x7F, `pct` "%".
unsigned plainAsciiPrefix(std::uint64_t word, bool percent) {
    constexpr std::uint64_t ones = 0x0101'0101'0101'0101;
    constexpr std::uint64_t highs = 0x8080'8080'8080'8080;
    const std::uint64_t below = (word - ones * 0x21) & ~word;
    const std::uint64_t del = ((word ^ ones * 0x7F) - ones) & ~(word ^ ones * 0x7F);
    const std::uint64_t pct = percent ? 0 : ((word ^ ones * '%') - ones) & ~(word ^ ones * '%');
    const std::uint64_t stops = (word | below | del | pct) & highs;
    if constexpr (std::endian::native == std::endian::little) {
        return stops == 0 ? 8 : unsigned(std::countr_zero(stops)) / 8;
    } else {
        return stops == 0 ? 8 : unsigned(std::countl_zero(stops)) / 8;
    }
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t k = 0; k < prefix.size(); ++k) {
        const char c = text[k] >= 'A' && text[k] <= 'Z' ? char(text[k] + 32) : text[k];
        if (c != prefix[k]) {
            return false;
        }
    }
    return true;
}

char* putUtf8(char16_t c, char* to) {
    if (c < 0x800) {
        to[0] = char(0xC0 | c >> 6);
        to[1] = char(0x80 | (c & 0x3F));
        return to + 2;
    }
    to[0] = char(0xE0 | c >> 12);
    to[1] = char(0x80 | (c >> 6 & 0x3F));
    to[2] = char(0x80 | (c & 0x3F));
    return to + 3;
}

// The two Base64 characters of each 12 bits.
constexpr auto charsOf12Bits = [] {
    std::array<std::array<char, 2>, 4096> chars{};
    for (std::size_t bits = 0; bits < chars.size(); ++bits) {
        chars[bits] = {alphabet[bits >> 6], alphabet[bits & 0x3F]};
    }
    return chars;
}();

void appendBase64(std::string_view bytes, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    char* to = out.data() + start;
    const auto* from = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3, to += 4) {
        const unsigned group = unsigned(from[i]) << 16 | unsigned(from[i + 1]) << 8 | from[i + 2];
        std::memcpy(to, charsOf12Bits[group >> 12].data(), 2);
        std::memcpy(to + 2, charsOf12Bits[group & 0xFFF].data(), 2);
    }
    if (const std::size_t rest = size - i; rest > 0) {
        const unsigned group =
            unsigned(from[i]) << 16 | (rest > 1 ? unsigned(from[i + 1]) << 8 : 0);
        std::memcpy(to, charsOf12Bits[group >> 12].data(), 2);
        to[2] = rest > 1 ? alphabet[group >> 6 & 0x3F] : '=';
        to[3] = '=';
    }
}

// The character of `code`, the one or two code page bytes of a character, where the code page
// reads those bytes back as that one character and it is plain; otherwise 0.
char16_t plainCharacterOf(const CodePage& codePage, std::uint16_t code) {
    const auto lead = std::uint8_t(code >> 8);
    const auto low = std::uint8_t(code);
    char16_t c = 0;
    if (code < 0x100 && codePage.isSingleByte(low) &&
        codePage.bytesOfUnit(codePage.textOfByte(low)) == code) {
        c = codePage.textOfByte(low);
    } else if (lead >= 0x80) {
        c = codePage.characterOfPair(lead, low);
    }
    return isPlainWide(c) ? c : u'\0';
}

} // namespace

bool BatchFill::fill(std::string_view input, std::span<const FieldId> fields, std::string& out) {
    for (std::size_t k = 0; k < schemes.size(); ++k) {
        if (!input.empty() && (input[0] | 0x20) == schemes[k][0] &&
            startsWithNoCase(input, schemes[k])) {
            return fillLink(FieldId(std::size_t(FieldId::Text2) + k),
                            input.substr(schemes[k].size()), fields, out);
        }
    }
    return fillAddress(input, fields, out);
}

bool BatchFill::fillAddress(std::string_view input, std::span<const FieldId> fields,
                            std::string& out) {
    // The address's code page bytes, every character checked to read back as itself: at
    // most as many as its UTF-8 bytes.
    const CodePage& codePage = CodePage::ansi();
    address_.resize(input.size());
    char* to = address_.data();
    const auto* from = reinterpret_cast<const std::uint8_t*>(input.data());
    const std::size_t size = input.size();
    for (std::size_t i = 0; i < size;) {
        // Runs of ASCII, the usual case, eight bytes at a time; the buffer has room for all
        // eight wherever the run ends.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, from + i, 8);
            std::memcpy(to, &word, 8);
            if (const unsigned plain = plainAsciiPrefix(word, false); plain > 0) {
                to += plain;
                i += plain;
                continue;
            }
        }
        const std::uint8_t lead = from[i];
        if (lead < 0x80) {
            if (!isPlainAscii(lead)) {
                return false;
            }
            *to++ = char(lead);
            ++i;
            continue;
        }
        // Two- and three-byte UTF-8 only: the code page holds nothing beyond U+FFFF. The
        // check against the code page refuses surrogates as well.
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
        if (length == 0 || size - i < length) {
            return false;
        }
        char32_t c = lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((from[i + k] & 0xC0) != 0x80) {
                return false;
            }
            c = c << 6 | (from[i + k] & 0x3Fu);
        }
        if (c < 0x800 && length == 3) {
            return false; // overlong
        }
        const std::uint16_t code = codePage.bytesOfUnit(char16_t(c));
        if (plainCharacterOf(codePage, code) != c) {
            return false;
        }
        if (code >= 0x100) {
            *to++ = char(code >> 8);
        }
        *to++ = char(code & 0xFF);
        i += length;
    }
    address_.resize(std::size_t(to - address_.data()));
    write(input, fields, out);
    return true;
}

bool BatchFill::fillLink(FieldId link, std::string_view body, std::span<const FieldId> fields,
                         std::string& out) {
    const auto form = std::size_t(link) - std::size_t(FieldId::Text2);
    if (link == FieldId::Text3) {
        // The tail after "&" is dropped; a plain one cannot hide anything else.
        const std::size_t amp = body.find('&');
        if (amp != std::string_view::npos) {
            for (const char c : body.substr(amp + 1)) {
                if (!((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && !(c >= '0' && c <= '9')) {
                    return false;
                }
            }
            body = body.substr(0, amp);
        }
    }

    // Decoded as the decoder does: "=" is 0, a lone last character is ignored, a short last
    // group is completed with "=". Any other character leaves the link to the form logic.
    const std::size_t whole = body.size() / 4;
    const std::size_t rest = body.size() % 4;
    std::uint8_t last[4] = {'=', '=', '=', '='};
    std::copy_n(body.data() + 4 * whole, rest, last);
    bytes_.resize(3 * whole + 3);
    std::uint8_t* to = bytes_.data();
    std::uint32_t marks = 0; // a local, which stores through the byte pointer cannot change
    for (std::size_t g = 0; g <= whole; ++g, to += 3) {
        const auto* from =
            g < whole ? reinterpret_cast<const std::uint8_t*>(body.data()) + 4 * g : last;
        const std::uint32_t group = valueInPlace[0][from[0]] | valueInPlace[1][from[1]] |
                                    valueInPlace[2][from[2]] | valueInPlace[3][from[3]];
        marks |= group;
        to[0] = std::uint8_t(group >> 16);
        to[1] = std::uint8_t(group >> 8);
        to[2] = std::uint8_t(group);
    }
    to -= rest < 2 ? 3 : 0; // a lone last character is checked only
    if (marks & refused) {
        return false;
    }

    // The address ends at the first zero byte, where the field cuts the decoded text. Its
    // UTF-8 is made on the way: three bytes at most for each byte.
    const auto* zero = static_cast<const std::uint8_t*>(
        std::memchr(bytes_.data(), 0, std::size_t(to - bytes_.data())));
    const std::size_t size = std::size_t((zero ? zero : to) - bytes_.data());
    const std::uint8_t* decoded = bytes_.data();
    const CodePage& codePage = CodePage::ansi();
    text_.resize(3 * size);
    char* utf8 = text_.data();
    std::size_t pairsEnd = 0; // past the last two-byte character
    bool wide = false;
    for (std::size_t i = 0; i < size;) {
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, decoded + i, 8);
            std::memcpy(utf8, &word, 8);
            if (const unsigned plain = plainAsciiPrefix(word, true); plain > 0) {
                utf8 += plain;
                i += plain;
                continue;
            }
        }
        const std::uint8_t byte = decoded[i];
        if (byte < 0x80) {
            if (byte <= 0x20 || byte == 0x7F) {
                return false;
            }
            *utf8++ = char(byte);
            ++i;
            continue;
        }
        // A character above ASCII must be plain and encode back to the same bytes.
        wide = true;
        char16_t c;
        if (codePage.isSingleByte(byte)) {
            c = plainCharacterOf(codePage, byte);
            ++i;
        } else {
            c = i + 1 < size ? codePage.characterOfPair(byte, decoded[i + 1]) : u'\0';
            i += 2;
            pairsEnd = i;
        }
        if (!isPlainWide(c)) {
            return false;
        }
        utf8 = putUtf8(c, utf8);
    }
    if (wide && isUtf8({decoded, size}, Utf8Forms::WithoutTwoByte)) {
        return false; // read as UTF-8: the form logic's business
    }

    // One head and one end of the wrapper come off, each only where present. Both are ASCII,
    // so they are as long in UTF-8.
    const std::string_view bytes(reinterpret_cast<const char*>(decoded), size);
    std::size_t start = 0;
    std::size_t end = size;
    if (bytes.starts_with(heads[form])) {
        start = heads[form].size();
    }
    if (bytes.substr(start).ends_with(ends[form]) && end - ends[form].size() >= pairsEnd) {
        end -= ends[form].size();
    }
    address_.assign(bytes.substr(start, end - start));
    const auto utf8Size = std::size_t(utf8 - text_.data());
    write(std::string_view(text_).substr(start, utf8Size - (size - end) - start), fields, out);
    return true;
}

void BatchFill::write(std::string_view utf8, std::span<const FieldId> fields, std::string& out) {
    for (const FieldId field : fields) {
        if (field == FieldId::Text1) {
            out += utf8;
        } else {
            const auto form = std::size_t(field) - std::size_t(FieldId::Text2);
            wrapped_.assign(heads[form]).append(address_).append(ends[form]);
            out += schemes[form];
            appendBase64(wrapped_, out);
            out += tails[form];
        }
        out += '\n';
    }
}

} // namespace orvanthe
