#include "batch_fill.h"

#include "codec/base64.h"
#include "codec/code_page.h"
#include "codec/reading.h"
#include "codec/utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

// The vector loops are x86's SSE2, where the compiler may assume it. ORVANTHE_NO_SIMD builds
// the plain loops in their place, those that other processors and the 32-bit Windows programs
// run, so that an x86 build tests them.
#if defined(__SSE2__) && !defined(ORVANTHE_NO_SIMD)
#define ORVANTHE_SSE2 1
#include <emmintrin.h>
#endif

namespace orvanthe::cli {
namespace {

// Printable ASCII, the space among it; the rest of ASCII is control characters and other
// white space.
constexpr bool isPlainAscii(std::uint8_t byte) {
    return byte >= 0x20 && byte < 0x7F;
}

// A character above ASCII that no rule of the form logic treats apart: no control character,
// no white space and nothing invisible or formatting (U+00A0, U+2000..U+206F, U+3000,
// U+FE00..U+FE0F, U+FEFF).
constexpr bool isPlainWide(char32_t c) {
    return c > 0xA0 && (c < 0x2000 || c > 0x206F) && c != 0x3000 && (c < 0xFE00 || c > 0xFE0F) &&
           c != 0xFEFF;
}

// Bytes looked at together in a run of ASCII.
#if defined(ORVANTHE_SSE2)
constexpr std::size_t asciiBlock = 16;
#else
constexpr std::size_t asciiBlock = 8;
#endif

#if defined(ORVANTHE_SSE2)
// A bit for each of the sixteen bytes at `from` that is printable ASCII, the first byte's
// lowest.
unsigned plainIn16(const std::uint8_t* from) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    // The compares are signed: bytes of 0x80 and above are below 0x20.
    const __m128i plain = _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(0x1F)),
                                        _mm_cmplt_epi8(block, _mm_set1_epi8(0x7F)));
    return unsigned(_mm_movemask_epi8(plain));
}
#endif

// Copies the asciiBlock bytes at `from` to `to`, and gives how many of them, from the first,
// are printable ASCII.
std::size_t copyPlainAscii(const std::uint8_t* from, char* to) {
    std::memcpy(to, from, asciiBlock);
#if defined(ORVANTHE_SSE2)
    // The bits above the sixteen stop the count at a whole block.
    return std::size_t(std::countr_zero(~plainIn16(from)));
#else
    // Borrows mark the first byte that is not plain exactly: `below` one under 0x20, `del`
    // 0x7F.
    std::uint64_t word;
    std::memcpy(&word, from, 8);
    constexpr std::uint64_t ones = 0x0101'0101'0101'0101;
    constexpr std::uint64_t highs = 0x8080'8080'8080'8080;
    const std::uint64_t below = (word - ones * 0x20) & ~word;
    const std::uint64_t del = ((word ^ ones * 0x7F) - ones) & ~(word ^ ones * 0x7F);
    const std::uint64_t stops = (word | below | del) & highs;
    if constexpr (std::endian::native == std::endian::little) {
        return stops == 0 ? 8 : std::size_t(std::countr_zero(stops)) / 8;
    } else {
        return stops == 0 ? 8 : std::size_t(std::countl_zero(stops)) / 8;
    }
#endif
}

// A bit for each of the 64 bytes at `from` that is not printable ASCII, the first byte's
// lowest.
std::uint64_t stopsIn64(const std::uint8_t* from) {
    std::uint64_t stops = 0;
#if defined(ORVANTHE_SSE2)
    for (std::size_t k = 0; k < 4; ++k) {
        stops |= std::uint64_t(~plainIn16(from + 16 * k) & 0xFFFF) << (16 * k);
    }
#else
    for (std::size_t k = 0; k < 64; ++k) {
        stops |= std::uint64_t(!isPlainAscii(from[k])) << k;
    }
#endif
    return stops;
}

// What startsWithScheme takes a scheme to be; in plain loops, as the WebAssembly build's
// library has no std::ranges algorithms.
constexpr bool schemesAreLower() {
    for (const LinkForm& link : threeLinks) {
        if (link.scheme.size() < 4) {
            return false;
        }
        for (const char16_t c : link.scheme) {
            if (!((c >= u'a' && c <= u'z') || c == u':' || c == u'/')) {
                return false;
            }
        }
    }
    return true;
}
static_assert(schemesAreLower());

// A form's texts as bytes, made once from the table, for writing links.
struct FormBytes {
    std::string scheme, head, end, tail;
};

const FormBytes& bytesOf(const LinkForm& form) {
    static const auto all = [] {
        const auto narrow = [](std::u16string_view text) {
            return std::string(text.begin(), text.end());
        };
        std::array<FormBytes, linkForms.size()> bytes;
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            const LinkForm& each = linkForms[k];
            bytes[k] = {narrow(each.scheme), narrow(each.head), narrow(each.end),
                        narrow(each.tail)};
        }
        return bytes;
    }();
    return all[std::size_t(form.field)];
}

// Whether `text` begins with `scheme` (lower-case letters, ":" and "/", at least four), its
// letters in either case. Setting 0x20 makes a letter lower case and maps no other byte onto
// one; what it maps onto ":" or "/" is that byte or a control character. Words of four bytes,
// the last of which may overlap the one before, cover the scheme: a third of the instructions
// of a byte at a time, on every line of a batch.
bool startsWithScheme(std::string_view text, std::string_view scheme) {
    if (text.size() < scheme.size()) {
        return false;
    }
    std::uint32_t differ = 0;
    for (std::size_t k = 0; k < scheme.size(); k += 4) {
        const std::size_t at = std::min(k, scheme.size() - 4);
        std::uint32_t given;
        std::uint32_t wanted;
        std::memcpy(&given, text.data() + at, 4);
        std::memcpy(&wanted, scheme.data() + at, 4);
        const std::uint32_t controls = (given - 0x2020'2020) & ~given & 0x8080'8080;
        differ |= ((given | 0x2020'2020) ^ wanted) | controls;
    }
    return differ == 0;
}

// Whether the bytes at `bytes` begin with `text`, which is ASCII.
bool startsWith(const std::uint8_t* bytes, std::u16string_view text) {
    return std::equal(text.begin(), text.end(), bytes);
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

// Whether the decoder reads the `size` code page bytes at `from` as UTF-8, the first of them
// above ASCII at `firstWide` (`size` or more for none). What precedes that byte is ASCII, which
// reads alike either way; UTF-8 of the forms the decoder weighs goes on from there with a lead
// byte of three or four bytes and a continuation byte, which most code page pairs are not.
bool readAsUtf8(const std::uint8_t* from, std::size_t firstWide, std::size_t size) {
    return firstWide < size && from[firstWide] >= 0xE0 && from[firstWide] <= 0xF4 &&
           size - firstWide > 1 && (from[firstWide + 1] & 0xC0) == 0x80 &&
           utf8Reading({from + firstWide, size - firstWide}).has_value();
}

} // namespace

bool BatchFill::fill(std::string_view input, std::span<const LinkForm> forms, std::string& out) {
    const char first = input.empty() ? '\0' : char(input[0] | 0x20);
    bool schemeLetter = false; // the input begins as a scheme does
    for (const LinkForm& link : threeLinks) {
        if (first != link.scheme.front()) {
            continue;
        }
        if (startsWithScheme(input, bytesOf(link).scheme)) {
            return fillLink(link, input.substr(link.scheme.size()), forms, out);
        }
        schemeLetter = true;
    }
    // White space before a scheme is dropped, and an escaped scheme ("thunder%3A%2F%2F") read,
    // before the form logic tells a link from an address: such input is left to it.
    if (input.starts_with(' ')) {
        return false;
    }
    if (const std::string_view start = input.substr(0, 64);
        schemeLetter && start.find('%') != start.npos) {
        std::u16string wide(start.size(), u'\0');
        std::transform(start.begin(), start.end(), wide.begin(),
                       [](char c) { return char16_t(std::uint8_t(c)); });
        if (fieldOfInput(wide) != FieldId::Text1) {
            return false;
        }
    }
    return fillAddress(input, forms, out);
}

bool BatchFill::fillAddress(std::string_view input, std::span<const LinkForm> forms,
                            std::string& out) {
    // The address's code page bytes, every character checked to read back as itself: at
    // most as many as its UTF-8 bytes.
    const CodePage& codePage = CodePage::ansi();
    address_.resize(input.size());
    char* to = address_.data();
    const auto* from = reinterpret_cast<const std::uint8_t*>(input.data());
    const std::size_t size = input.size();
    for (std::size_t i = 0; i < size;) {
        // Runs of ASCII, the usual case, a block at a time; the buffer has room for a whole
        // block wherever the run ends.
        if (i + asciiBlock <= size) {
            if (const std::size_t plain = copyPlainAscii(from + i, to); plain > 0) {
                to += plain;
                i += plain;
                continue;
            }
        }
        if (from[i] < 0x80) {
            if (!isPlainAscii(from[i])) {
                return false;
            }
            *to++ = char(from[i++]);
            continue;
        }
        // The code page holds nothing beyond U+FFFF, and no surrogate.
        const auto [c, length] = readUtf8({from + i, size - i});
        const std::uint16_t code = codePage.bytesOfUnit(char16_t(c));
        if (length == 0 || plainCharacterOf(codePage, code) != c) {
            return false;
        }
        if (code >= 0x100) {
            *to++ = char(code >> 8);
        }
        *to++ = char(code & 0xFF);
        i += length;
    }
    address_.resize(std::size_t(to - address_.data()));
    // Links whose bytes the decoder would read as UTF-8 give another address back: the form
    // logic writes and names them.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(address_.data());
    const std::size_t firstWide = std::size_t(
        std::find_if(bytes, bytes + address_.size(), [](std::uint8_t b) { return b >= 0x80; }) -
        bytes);
    const bool withLinks = forms.size() > 1 || !forms[0].scheme.empty();
    if (withLinks && readAsUtf8(bytes, firstWide, address_.size())) {
        return false;
    }
    write(input, forms, out);
    return true;
}

bool BatchFill::fillLink(const LinkForm& link, std::string_view body,
                         std::span<const LinkForm> forms, std::string& out) {
    if (!link.tail.empty()) {
        // The tail is dropped from its first character on; a plain one cannot hide anything
        // else.
        const std::size_t start = body.find(char(link.tail.front()));
        if (start != std::string_view::npos) {
            for (const char c : body.substr(start + 1)) {
                if (!((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && !(c >= '0' && c <= '9')) {
                    return false;
                }
            }
            body = body.substr(0, start);
        }
    }
    const std::size_t size = decode(body);
    if (size == std::string_view::npos) {
        return false;
    }

    // The address ends at the first zero byte, where the field cuts the decoded text. One
    // head and one end of the wrapper come off, each where present; the end not where it
    // holds the trail byte of a character. Both are ASCII, as long in UTF-8, and hold no zero
    // byte, so the head is looked for before the address's end is known.
    const std::uint8_t* decoded = bytes_.data();
    const std::size_t start = startsWith(decoded, link.head) ? link.head.size() : 0;
    if (text_.size() < 3 * size + 64) {
        text_.resize(3 * size + 64);
    }
    const AddressText text = toUtf8(decoded + start, text_.data());
    if (!text.utf8End) {
        return false;
    }
    const std::size_t length = start + text.size;
    const std::u16string_view end = link.end;
    const std::size_t cut = text.size >= end.size() && text.size - end.size() >= text.pairsEnd &&
                                    startsWith(decoded + length - end.size(), end)
                                ? end.size()
                                : 0;
    const std::string_view utf8(text_.data(), std::size_t(text.utf8End - text_.data()) - cut);
    if (forms.size() == 1 && forms[0].scheme.empty()) {
        out.append(utf8) += '\n';
        return true;
    }
    address_.assign(reinterpret_cast<const char*>(decoded) + start, text.size - cut);
    write(utf8, forms, out);
    return true;
}

std::size_t BatchFill::decode(std::string_view body) {
    // Decoded as the decoder does, but for any character but the alphabet and "=", which
    // leaves the link to the form logic.
    const std::size_t groups = (body.size() + 3) / 4;
    if (bytes_.size() < 3 * groups + 4 + 64) {
        bytes_.resize(3 * groups + 4 + 64);
    }
    if (!decodeBase64(body, bytes_.data())) {
        return std::string_view::npos;
    }
    // A lone last character gives no byte.
    const std::size_t size = body.size() / 4 * 3 + (body.size() % 4 < 2 ? 0 : 3);
    bytes_[size] = 0; // the end of the address, where nothing else ends it
    return size;
}

BatchFill::AddressText BatchFill::toUtf8(const std::uint8_t* from, char* to) {
    // The bytes other than printable ASCII are found 64 at a time as bits, so that the walk
    // goes from one to the next by a bit scan, and the ASCII between is copied sixteen bytes
    // at a time, at least 32. Code page pairs are looked up once each and copied as four bytes.
    // What is copied past the end is overwritten after.
    AddressText text;
    std::size_t firstWide = std::string_view::npos;
    std::size_t i = 0;      // the first byte not yet converted
    std::size_t window = 0; // the first of the 64 bytes that `stops` covers
    std::uint64_t stops = stopsIn64(from);
    for (;;) {
        while (stops == 0) {
            window += 64;
            stops = stopsIn64(from + window);
        }
        const std::size_t stop = window + std::size_t(std::countr_zero(stops));
        // Most runs are shorter than 32 bytes: those copy without a branch that depends on
        // their length.
        std::memcpy(to, from + i, 16);
        std::memcpy(to + 16, from + i + 16, 16);
        for (std::size_t copied = 32; copied < stop - i; copied += 16) {
            std::memcpy(to + copied, from + i + copied, 16);
        }
        to += stop - i;
        i = stop;
        const std::uint8_t byte = from[i];
        if (byte < 0x80) {
            if (byte != 0) {
                return {}; // white space or a control character
            }
            break;
        }
        if (firstWide == std::string_view::npos) {
            firstWide = i;
        }
        auto& row = utf8OfPair_[byte - 0x80];
        if (!row) {
            row = std::make_unique<std::array<Utf8OfPair, 0x100>>();
        }
        Utf8OfPair& utf8 = (*row)[from[i + 1]];
        if (utf8.length == Utf8OfPair::unknown) {
            utf8 = lookUpPair(byte, from[i + 1]);
        }
        if (utf8.length == Utf8OfPair::singleByte) {
            const char16_t c = plainCharacterOf(CodePage::ansi(), byte);
            if (c == 0) {
                return {};
            }
            to = writeUtf8(c, to);
            ++i;
        } else if (utf8.length == Utf8OfPair::refused) {
            return {};
        } else {
            std::memcpy(to, &utf8, 4);
            to += utf8.length;
            i += 2;
            text.pairsEnd = i;
        }
        // The bits of the bytes done go; a pair may end past the window.
        if (i - window < 64) {
            stops &= ~std::uint64_t(0) << (i - window);
        } else {
            window = i;
            stops = stopsIn64(from + i);
        }
    }
    // Bytes the decoder reads as UTF-8 are the form logic's business.
    if (readAsUtf8(from, firstWide, i)) {
        return {};
    }
    text.size = i;
    text.utf8End = to;
    return text;
}

BatchFill::Utf8OfPair BatchFill::lookUpPair(std::uint8_t lead, std::uint8_t trail) {
    const CodePage& codePage = CodePage::ansi();
    if (codePage.isSingleByte(lead)) {
        return {{}, Utf8OfPair::singleByte};
    }
    // A code the code page does not define (a zero trail byte among them) reads as "?",
    // which is no plain character.
    const char16_t c = codePage.characterOfPair(lead, trail);
    if (!isPlainWide(c)) {
        return {{}, Utf8OfPair::refused};
    }
    Utf8OfPair utf8;
    utf8.length = std::uint8_t(writeUtf8(c, utf8.bytes.data()) - utf8.bytes.data());
    return utf8;
}

void BatchFill::write(std::string_view utf8, std::span<const LinkForm> forms, std::string& out) {
    for (const LinkForm& form : forms) {
        if (form.scheme.empty()) {
            out += utf8;
        } else {
            const FormBytes& bytes = bytesOf(form);
            wrapped_.assign(bytes.head).append(address_).append(bytes.end);
            out += bytes.scheme;
            appendBase64({reinterpret_cast<const std::uint8_t*>(wrapped_.data()), wrapped_.size()},
                         out);
            out += bytes.tail;
        }
        out += '\n';
    }
}

} // namespace orvanthe::cli
