#include "code_page.h"

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
    std::size_t i = 0;
    while (i < size) {
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

bool CodePage::hasAll(std::u16string_view text) const {
    const std::uint16_t* bytesOfUnit = tables_->bytesOfUnit.data();
    for (const char16_t unit : text) {
        if (bytesOfUnit[unit] == u'?' && unit != u'?') {
            return false; // surrogates too: the table gives them "?"
        }
    }
    return true;
}

} // namespace orvanthe
