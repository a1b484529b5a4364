#pragma once

// What the fuzz targets share: turning the fuzzer's bytes into text, and failing with a
// message that names the broken property.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe::fuzz {

// The fuzzer's bytes as UTF-16 code units, two bytes to a unit (low byte first), so that
// NUL, lone surrogates and every other unit turn up; an odd last byte is dropped.
inline std::u16string unitsOf(std::span<const std::uint8_t> bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t k = 0; k < units.size(); ++k) {
        units[k] = char16_t(bytes[2 * k] | bytes[2 * k + 1] << 8);
    }
    return units;
}

// Ends the run unless `holds`, naming `what` and the text it concerns; libFuzzer keeps the
// input as a crash.
inline void require(bool holds, const char* what, std::u16string_view text) {
    if (holds) {
        return;
    }
    std::fprintf(stderr, "\nproperty broken: %s\ntext (%zu units):", what, text.size());
    for (std::size_t k = 0; k < text.size() && k < 400; ++k) {
        const unsigned unit = text[k];
        std::fprintf(stderr, unit >= 0x20 && unit < 0x7F ? "%c" : "\\u%04X", unit);
    }
    std::fputc('\n', stderr);
    std::abort();
}

} // namespace orvanthe::fuzz
