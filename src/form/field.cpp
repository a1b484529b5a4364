#include "field.h"

#include <cstring>

namespace orvanthe {

std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from) {
    // A 16-bit lane of v is zero exactly when (v - 1) borrows into its top bit while v's
    // own top bit is clear; v is the text XOR the unit sought in every lane.
    constexpr std::uint64_t ones = 0x0001'0001'0001'0001;
    constexpr std::uint64_t tops = 0x8000'8000'8000'8000;
    const std::uint64_t pattern = ones * unit;
    const auto hasZeroLane = [](std::uint64_t v) { return ((v - ones) & ~v & tops) != 0; };

    const char16_t* units = text.data();
    std::size_t k = from;
    for (; k + 8 <= text.size(); k += 8) {
        std::uint64_t low;
        std::uint64_t high;
        std::memcpy(&low, units + k, sizeof low);
        std::memcpy(&high, units + k + 4, sizeof high);
        if (hasZeroLane(low ^ pattern) || hasZeroLane(high ^ pattern)) {
            break;
        }
    }
    for (; k < text.size(); ++k) {
        if (units[k] == unit) {
            return k;
        }
    }
    return text.size();
}

} // namespace orvanthe
