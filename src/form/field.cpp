#include "field.h"

#include <functional>

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

void Field::assign(std::u16string_view text) {
    text_.assign(text.substr(0, findUnit(text, u'\0'))); // safe where the two overlap
    ++revision_;
}

void Field::assign(std::u16string&& text) {
    text_ = std::move(text);
    text_.resize(findUnit(text_, u'\0'));
    ++revision_;
}

void Field::assign(std::initializer_list<std::u16string_view> parts) {
    std::size_t size = 0;
    bool ownText = false;
    for (const auto part : parts) {
        size += part.size();
        // std::less orders any two pointers, related or not.
        const std::less<const char16_t*> before;
        ownText |= !before(part.data(), text_.data()) &&
                   before(part.data(), text_.data() + text_.capacity());
    }
    if (ownText) {
        std::u16string joined;
        joined.reserve(size);
        for (const auto part : parts) {
            joined += part;
        }
        assign(std::move(joined));
        return;
    }
    text_.clear();
    text_.reserve(size);
    for (const auto part : parts) {
        const std::size_t kept = findUnit(part, u'\0');
        text_ += part.substr(0, kept);
        if (kept < part.size()) {
            break; // a NUL ends the field's text
        }
    }
    ++revision_;
}

} // namespace orvanthe
