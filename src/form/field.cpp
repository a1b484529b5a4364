#include "field.h"

namespace orvanthe {

std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from) {
    // Blocks of 32 units without an early exit inside, so that the compiler compares a
    // whole vector register at a time; then the exact place within the block.
    constexpr std::size_t block = 32;
    const char16_t* units = text.data();
    const std::size_t size = text.size();
    std::size_t k = from;
    for (; k + block <= size; k += block) {
        unsigned found = 0;
        for (std::size_t j = 0; j < block; ++j) {
            found |= units[k + j] == unit;
        }
        if (found) {
            break;
        }
    }
    for (; k < size; ++k) {
        if (units[k] == unit) {
            return k;
        }
    }
    return size;
}

} // namespace orvanthe
