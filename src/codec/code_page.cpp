#include "code_page.h"

namespace orvanthe {

const CodePage& CodePage::ansi() {
    static const CodePage codePage([] {
        auto tables = std::make_unique<Tables>();
        fillAnsiTables(*tables);
        return std::unique_ptr<const Tables>(std::move(tables));
    }());
    return codePage;
}

void CodePage::appendBytes(std::u16string_view text, std::vector<std::uint8_t>& out) const {
    // At most two bytes per unit; reserve once and trim at the end.
    const std::size_t start = out.size();
    out.resize(start + 2 * text.size());
    std::uint8_t* to = out.data() + start;
    const auto& bytesOfUnit = tables_->bytesOfUnit;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const std::uint16_t bytes = bytesOfUnit[unit];
        if (bytes < 0x100) {
            *to++ = std::uint8_t(bytes);
        } else {
            *to++ = std::uint8_t(bytes >> 8);
            *to++ = std::uint8_t(bytes);
        }
        // A surrogate pair is one character: its high half already gave the "?".
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        }
    }
    out.resize(std::size_t(to - out.data()));
}

} // namespace orvanthe
