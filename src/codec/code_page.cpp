#include "code_page.h"

#include <cstring>

namespace orvanthe {

CodePage::CodePage(std::unique_ptr<const Tables> tables)
    : owned_(std::move(tables)), tables_(owned_.get()) {}

void CodePage::appendBytes(std::u16string_view text, std::vector<std::uint8_t>& out) const {
    // At most two bytes per unit; size once and trim at the end. Locals keep the loop free
    // of reloads that stores through a byte pointer would otherwise force.
    const std::size_t start = out.size();
    out.resize(start + 2 * text.size());
    std::uint8_t* to = out.data() + start;
    const char16_t* units = text.data();
    const std::size_t size = text.size();
    const std::uint16_t* bytesOfUnit = tables_->bytesOfUnit.data();

    // The usual case, a run of ASCII (its own byte in every ANSI code page), goes four
    // units to a 64-bit word.
    constexpr std::uint64_t nonAscii = 0xFF80'FF80'FF80'FF80;
    std::size_t i = 0;
    while (i < size) {
        std::uint64_t four;
        if (i + 4 <= size && (std::memcpy(&four, units + i, sizeof four), !(four & nonAscii))) {
            const auto packed = std::uint32_t((four & 0xFF) | (four >> 8 & 0xFF00) |
                                              (four >> 16 & 0xFF0000) | (four >> 24 & 0xFF000000));
            // Loaded and stored in the machine's own byte order, so the bytes land in text
            // order on little- and big-endian machines alike.
            std::memcpy(to, &packed, sizeof packed);
            to += 4;
            i += 4;
            continue;
        }
        const char16_t unit = units[i++];
        const std::uint16_t bytes = bytesOfUnit[unit];
        if (bytes < 0x100) {
            *to++ = std::uint8_t(bytes);
        } else {
            *to++ = std::uint8_t(bytes >> 8);
            *to++ = std::uint8_t(bytes);
        }
        // A surrogate pair is one character: its high half already gave the "?".
        if (unit >= 0xD800 && unit <= 0xDBFF && i < size && units[i] >= 0xDC00 &&
            units[i] <= 0xDFFF) {
            ++i;
        }
    }
    out.resize(std::size_t(to - out.data()));
}

bool CodePage::holds(std::u16string_view text) const {
    const std::uint16_t* bytesOfUnit = tables_->bytesOfUnit.data();
    for (const char16_t unit : text) {
        if (bytesOfUnit[unit] == u'?' && unit != u'?') {
            return false; // surrogates too: the table gives them "?"
        }
    }
    return true;
}

} // namespace orvanthe
