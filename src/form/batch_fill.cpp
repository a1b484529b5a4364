#include "batch_fill.h"

#include "codec/code_page.h"
#include "codec/reading.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

// The vector loops are x86's: SSE2 where the compiler may assume it, SSSE3 where the processor
// has it at run time on x86-64. ORVANTHE_NO_SIMD builds the plain loops in their place, those
// that other processors and the 32-bit Windows programs run, so that an x86 build tests them.
#if defined(__SSE2__) && !defined(ORVANTHE_NO_SIMD)
#define ORVANTHE_SSE2 1
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && !defined(ORVANTHE_NO_SIMD)
#define ORVANTHE_SSSE3 1
#include <tmmintrin.h>
#endif

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

// Bytes looked at together in a run of ASCII.
#if defined(ORVANTHE_SSE2)
constexpr std::size_t asciiBlock = 16;
#else
constexpr std::size_t asciiBlock = 8;
#endif

#if defined(ORVANTHE_SSE2)
// A bit for each of the sixteen bytes at `from` that is printable ASCII ("%" only where
// `percent`), the first byte's lowest.
unsigned plainIn16(const std::uint8_t* from, bool percent) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    // The compares are signed: bytes of 0x80 and above are below 0x21.
    __m128i plain = _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(0x20)),
                                  _mm_cmplt_epi8(block, _mm_set1_epi8(0x7F)));
    if (!percent) {
        plain = _mm_andnot_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('%')), plain);
    }
    return unsigned(_mm_movemask_epi8(plain));
}
#endif

// Copies the asciiBlock bytes at `from` to `to`, and gives how many of them, from the first,
// are printable ASCII ("%" among them only where `percent`).
std::size_t copyPlainAscii(const std::uint8_t* from, char* to, bool percent) {
    std::memcpy(to, from, asciiBlock);
#if defined(ORVANTHE_SSE2)
    // The bits above the sixteen stop the count at a whole block.
    return std::size_t(std::countr_zero(~plainIn16(from, percent)));
#else
    // Borrows mark the first byte that is not plain exactly: `below` one under 0x21, `del`
    // 0x7F, `pct` "%".
    std::uint64_t word;
    std::memcpy(&word, from, 8);
    constexpr std::uint64_t ones = 0x0101'0101'0101'0101;
    constexpr std::uint64_t highs = 0x8080'8080'8080'8080;
    const std::uint64_t below = (word - ones * 0x21) & ~word;
    const std::uint64_t del = ((word ^ ones * 0x7F) - ones) & ~(word ^ ones * 0x7F);
    const std::uint64_t pct = percent ? 0 : ((word ^ ones * '%') - ones) & ~(word ^ ones * '%');
    const std::uint64_t stops = (word | below | del | pct) & highs;
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
        stops |= std::uint64_t(~plainIn16(from + 16 * k, true) & 0xFFFF) << (16 * k);
    }
#else
    for (std::size_t k = 0; k < 64; ++k) {
        stops |= std::uint64_t(from[k] <= 0x20 || from[k] >= 0x7F) << k;
    }
#endif
    return stops;
}

// Whether `text` begins with `scheme`, its letters in either case. Setting 0x20 makes a letter
// lower case and maps no other byte onto one; what it maps onto ":" or "/" (every other byte
// of a scheme) is that byte or a control character. Words of four bytes, the last of which
// may overlap the one before, cover the scheme.
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

// What startsWithScheme takes a scheme to be; in plain loops, as the WebAssembly build's
// library has no std::ranges algorithms.
constexpr bool schemesAreLower() {
    for (const std::string_view scheme : schemes) {
        if (scheme.size() < 4) {
            return false;
        }
        for (const char c : scheme) {
            if (!((c >= 'a' && c <= 'z') || c == ':' || c == '/')) {
                return false;
            }
        }
    }
    return true;
}
static_assert(schemesAreLower());

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

#if defined(ORVANTHE_SSSE3)
// Decodes the characters at `from` sixteen at a time into twelve bytes at `to`, writing sixteen,
// as long as they are of the alphabet and "="; gives how many it decoded. The tables are
// those of Muła and Lemire's vectorised decoder: a byte is of the alphabet where the entries
// of its two halves share no bit; "+", "/" and each range of letters or digits differ from
// their values by the same number, found by the high half ("/" one place below); "=" is 0.
__attribute__((target("ssse3"))) std::size_t decodeSsse3(const std::uint8_t* from, std::size_t size,
                                                         std::uint8_t* to) {
    const __m128i lowHalves = _mm_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                            0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    const __m128i highHalves = _mm_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10,
                                             0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m128i shifts = _mm_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i halves = _mm_set1_epi8(0x0F);
    std::size_t done = 0;
    for (; done + 16 <= size; done += 16, to += 12) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + done));
        const __m128i high = _mm_and_si128(_mm_srli_epi32(chars, 4), halves);
        const __m128i low = _mm_and_si128(chars, halves);
        const __m128i padding = _mm_cmpeq_epi8(chars, _mm_set1_epi8('='));
        const __m128i foreign =
            _mm_andnot_si128(padding, _mm_and_si128(_mm_shuffle_epi8(lowHalves, low),
                                                    _mm_shuffle_epi8(highHalves, high)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(foreign, _mm_setzero_si128())) != 0xFFFF) {
            break;
        }
        const __m128i slash = _mm_cmpeq_epi8(chars, _mm_set1_epi8('/'));
        const __m128i values = _mm_andnot_si128(
            padding, _mm_add_epi8(chars, _mm_shuffle_epi8(shifts, _mm_add_epi8(slash, high))));
        // Pairs of values into 12 bits, pairs of those into 24, each group's three bytes
        // then gathered most significant first.
        const __m128i twelve = _mm_maddubs_epi16(values, _mm_set1_epi32(0x0140'0140));
        const __m128i groups = _mm_madd_epi16(twelve, _mm_set1_epi32(0x0001'1000));
        const __m128i bytes = _mm_shuffle_epi8(
            groups, _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes);
    }
    return done;
}
#endif

// Decodes what decodeSsse3 does where the processor can, else nothing.
std::size_t decodeBlocks(const std::uint8_t* from, std::size_t size, std::uint8_t* to) {
#if defined(ORVANTHE_SSSE3)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        return decodeSsse3(from, size, to);
    }
#endif
    static_cast<void>(from), static_cast<void>(size), static_cast<void>(to);
    return 0;
}

// Whether the bytes at `bytes` begin with `text`.
bool holds(const std::uint8_t* bytes, std::string_view text) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (bytes[k] != std::uint8_t(text[k])) {
            return false;
        }
    }
    return true;
}

// Stores `value` with its most significant byte first.
void storeBigEndian(std::uint64_t value, std::uint8_t* to) {
    if constexpr (std::endian::native == std::endian::little) {
        value = __builtin_bswap64(value); // GCC and Clang, all that build this
    }
    std::memcpy(to, &value, sizeof value);
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

// Whether the decoder reads the `size` code page bytes at `from` as UTF-8, the first of them
// above ASCII at `firstWide` (`size` or more for none). What precedes that byte is ASCII, which
// reads alike either way; UTF-8 of the forms the decoder weighs goes on from there with a lead
// byte of three or four bytes and a continuation byte, which most code page pairs are not.
bool readAsUtf8(const std::uint8_t* from, std::size_t firstWide, std::size_t size) {
    return firstWide < size && from[firstWide] >= 0xE0 && from[firstWide] <= 0xF4 &&
           size - firstWide > 1 && (from[firstWide + 1] & 0xC0) == 0x80 &&
           readsAsUtf8({from + firstWide, size - firstWide});
}

} // namespace

bool BatchFill::fill(std::string_view input, std::span<const FieldId> fields, std::string& out) {
    for (std::size_t k = 0; k < schemes.size(); ++k) {
        if (!input.empty() && (input[0] | 0x20) == schemes[k][0] &&
            startsWithScheme(input, schemes[k])) {
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
        // Runs of ASCII, the usual case, a block at a time; the buffer has room for a whole
        // block wherever the run ends.
        if (i + asciiBlock <= size) {
            if (const std::size_t plain = copyPlainAscii(from + i, to, false); plain > 0) {
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
    // Links whose bytes the decoder would read as UTF-8 give another address back: the form
    // logic writes and names them.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(address_.data());
    const std::size_t firstWide = std::size_t(
        std::find_if(bytes, bytes + address_.size(), [](std::uint8_t b) { return b >= 0x80; }) -
        bytes);
    const bool links = fields.size() > 1 || fields[0] != FieldId::Text1;
    if (links && readAsUtf8(bytes, firstWide, address_.size())) {
        return false;
    }
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
    const std::size_t size = decode(body);
    if (size == std::string_view::npos) {
        return false;
    }

    // The address ends at the first zero byte, where the field cuts the decoded text. One
    // head and one end of the wrapper come off, each where present; the end not where it
    // holds the trail byte of a character. Both are ASCII, as long in UTF-8, and hold no zero
    // byte, so the head is looked for before the address's end is known.
    const std::uint8_t* decoded = bytes_.data();
    const std::string_view head = heads[form];
    const std::size_t start = holds(decoded, head) ? head.size() : 0;
    if (text_.size() < 3 * size + 64) {
        text_.resize(3 * size + 64);
    }
    const AddressText text = toUtf8(decoded + start, text_.data());
    if (!text.utf8End) {
        return false;
    }
    const std::size_t length = start + text.size;
    const std::string_view tail = ends[form];
    const std::size_t cut = text.size >= tail.size() && text.size - tail.size() >= text.pairsEnd &&
                                    holds(decoded + length - tail.size(), tail)
                                ? tail.size()
                                : 0;
    const std::string_view utf8(text_.data(), std::size_t(text.utf8End - text_.data()) - cut);
    if (fields.size() == 1 && fields[0] == FieldId::Text1) {
        out.append(utf8) += '\n';
        return true;
    }
    address_.assign(reinterpret_cast<const char*>(decoded) + start, text.size - cut);
    write(utf8, fields, out);
    return true;
}

std::size_t BatchFill::decode(std::string_view body) {
    // Decoded as the decoder does: "=" is 0, a short last group is completed with "=" (so
    // with nothing), a lone last character is checked only. Two groups at a time, six bytes
    // written as eight, the last two overwritten after. Any other character leaves the link
    // to the form logic.
    const std::size_t whole = body.size() / 4;
    const std::size_t size = 3 * whole + (body.size() % 4 < 2 ? 0 : 3);
    if (bytes_.size() < 3 * whole + 8 + 64) {
        bytes_.resize(3 * whole + 8 + 64);
    }
    std::uint8_t* to = bytes_.data();
    const auto* from = reinterpret_cast<const std::uint8_t*>(body.data());
    const std::uint8_t* const end = from + body.size();
    const std::size_t blocks = decodeBlocks(from, body.size(), to);
    from += blocks;
    to += blocks / 4 * 3;
    const auto group = [](const std::uint8_t* chars, std::size_t count) {
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < count; ++k) {
            value |= valueInPlace[k][chars[k]];
        }
        return value;
    };
    std::uint32_t marks = 0; // a local, which stores through the byte pointer cannot change
    for (; end - from >= 8; from += 8, to += 6) {
        const std::uint32_t first = group(from, 4);
        const std::uint32_t second = group(from + 4, 4);
        marks |= first | second;
        storeBigEndian(std::uint64_t(first) << 40 | std::uint64_t(second) << 16, to);
    }
    for (; from != end; to += 3) {
        const auto count = std::min<std::size_t>(std::size_t(end - from), 4);
        const std::uint32_t last = group(from, count);
        marks |= last;
        storeBigEndian(std::uint64_t(last) << 40, to);
        from += count;
    }
    if (marks & refused) {
        return std::string_view::npos;
    }
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
            to = putUtf8(c, to);
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
    utf8.length = std::uint8_t(putUtf8(c, utf8.bytes.data()) - utf8.bytes.data());
    return utf8;
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
