#pragma once

// What the fuzz targets share: turning the fuzzer's bytes into text, and failing with a
// message that names the broken property.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

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

// Ends the run unless `holds`, naming `what`; libFuzzer keeps the input as a crash.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "\nproperty broken: %s\n", what);
        std::abort();
    }
}

} // namespace orvanthe::fuzz
