#include "base64.h"

#include <cstring>

// SSSE3 where the processor has it at run time on x86-64; ORVANTHE_NO_SIMD leaves the plain
// loop alone, as other processors run it, so that an x86 build tests it.
#if defined(__x86_64__) && !defined(ORVANTHE_NO_SIMD)
#define ORVANTHE_SSSE3 1
#include <tmmintrin.h>
#endif

namespace orvanthe {
namespace {

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

// The two Base64 characters of each 12 bits.
constexpr auto charsOf12Bits = [] {
    std::array<std::array<char, 2>, 4096> chars{};
    for (std::size_t bits = 0; bits < chars.size(); ++bits) {
        chars[bits] = {base64Alphabet[bits >> 6], base64Alphabet[bits & 0x3F]};
    }
    return chars;
}();

// The values that decoding takes: the alphabet's, 0 for "=", and -1 for every other byte.
constexpr auto valuesWithPadding = [] {
    auto values = base64Values;
    values['='] = 0;
    return values;
}();

// Writes the padded Base64 of `bytes` at `to`, a group at a time.
void writeBase64Plain(std::span<const std::uint8_t> bytes, char* to) {
    for (std::size_t i = 0; i < bytes.size(); i += 3, to += 4) {
        const std::size_t rest = bytes.size() - i;
        const unsigned group = unsigned(bytes[i]) << 16 |
                               (rest > 1 ? unsigned(bytes[i + 1]) << 8 : 0u) |
                               (rest > 2 ? unsigned(bytes[i + 2]) : 0u);
        to[0] = base64Alphabet[group >> 18];
        to[1] = base64Alphabet[group >> 12 & 0x3F];
        to[2] = rest > 1 ? base64Alphabet[group >> 6 & 0x3F] : '=';
        to[3] = rest > 2 ? base64Alphabet[group & 0x3F] : '=';
    }
}

// How many characters at the start of `body` a faster loop decoded to `to`, three bytes for
// four: none where the processor has no such loop.
std::size_t decodeBlocks(std::string_view body, std::uint8_t* to) {
#if defined(ORVANTHE_SSSE3)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        return decodeSsse3(reinterpret_cast<const std::uint8_t*>(body.data()), body.size(), to);
    }
#endif
    static_cast<void>(body), static_cast<void>(to);
    return 0;
}

} // namespace

void appendBase64(std::span<const std::uint8_t> bytes, std::string& out) {
    // Whole groups of three bytes as two lookups of 12 bits each, the rest by the plain loop.
    const std::size_t whole = bytes.size() / 3 * 3;
    const std::size_t start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    char* to = out.data() + start;
    for (std::size_t i = 0; i < whole; i += 3, to += 4) {
        const unsigned group =
            unsigned(bytes[i]) << 16 | unsigned(bytes[i + 1]) << 8 | bytes[i + 2];
        std::memcpy(to, charsOf12Bits[group >> 12].data(), 2);
        std::memcpy(to + 2, charsOf12Bits[group & 0xFFF].data(), 2);
    }
    writeBase64Plain(bytes.subspan(whole), to);
}

void appendBase64Plain(std::span<const std::uint8_t> bytes, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    writeBase64Plain(bytes, out.data() + start);
}

bool decodeBase64(std::string_view body, std::uint8_t* to) {
    const std::size_t done = decodeBlocks(body, to);
    return decodeBase64Plain(body.substr(done), to + done / 4 * 3);
}

bool decodeBase64Plain(std::string_view body, std::uint8_t* to) {
    int outside = 0; // negative once a character is outside the alphabet and "="
    const auto decodeGroup = [&outside, &to](const char* chars) {
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const std::int8_t value = valuesWithPadding[std::uint8_t(chars[k])];
            outside |= value;
            group = group << 6 | std::uint32_t(value & 0x3F);
        }
        to[0] = std::uint8_t(group >> 16);
        to[1] = std::uint8_t(group >> 8);
        to[2] = std::uint8_t(group);
        to += 3;
    };
    const std::size_t whole = body.size() / 4 * 4;
    for (std::size_t i = 0; i < whole; i += 4) {
        decodeGroup(body.data() + i);
    }
    if (whole < body.size()) {
        std::array<char, 4> last = {'=', '=', '=', '='};
        body.copy(last.data(), last.size(), whole);
        decodeGroup(last.data());
    }
    return outside >= 0;
}

} // namespace orvanthe
