// The ANSI code page off Windows: code page 936, through ICU's converter
// "windows-936-2000", which matches Windows' own table (0x80 <-> U+20AC and the
// user-defined ranges included).
#include "code_page.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unicode/ucnv.h>
#include <vector>

namespace orvanthe {
namespace {

struct CloseConverter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, CloseConverter>;

Converter openConverter() {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("windows-936-2000", &status));
    if (U_FAILURE(status)) {
        // Without its code page the program cannot convert anything; ICU's data always
        // carries this converter, so this only happens on a broken installation.
        std::fprintf(stderr, "ICU converter windows-936-2000 unavailable: %s\n",
                     u_errorName(status));
        std::abort();
    }
    return converter;
}

void fillBytesOfUnits(UConverter* converter, CodePage::Tables& tables) {
    tables.bytesOfUnit.fill(u'?');

    // Every unit but the surrogates, in one conversion; the offsets say which unit each
    // byte came from, and units the code page lacks are skipped and keep their "?".
    std::u16string units;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        if (unit < 0xD800 || unit > 0xDFFF) {
            units.push_back(char16_t(unit));
        }
    }
    std::vector<char> bytes(2 * units.size());
    std::vector<std::int32_t> offsets(bytes.size());

    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &status);
    char* target = bytes.data();
    const UChar* source = units.data();
    ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source,
                     units.data() + units.size(), offsets.data(), true, &status);

    const auto count = std::size_t(target - bytes.data());
    for (std::size_t k = 0; k < count;) {
        const char16_t unit = units[std::size_t(offsets[k])];
        std::uint16_t value = std::uint8_t(bytes[k++]);
        if (k < count && units[std::size_t(offsets[k])] == unit) {
            value = std::uint16_t(value << 8 | std::uint8_t(bytes[k++]));
        }
        tables.bytesOfUnit[unit] = value;
    }
}

// The converter's text for a few bytes, as the walk over decoded bytes would get it.
std::u16string textOf(UConverter* converter, const char* bytes, std::int32_t length) {
    UChar text[8];
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t size = ucnv_toUChars(converter, text, 8, bytes, length, &status);
    if (U_FAILURE(status) || size <= 0) {
        return u"\uFFFD";
    }
    return std::u16string(text, text + size);
}

void fillTextOfBytes(UConverter* converter, CodePage::Tables& tables) {
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        const char single = char(byte);
        const std::u16string text = textOf(converter, &single, 1);
        tables.textOfByte[byte] = text.size() == 1 ? text[0] : u'\uFFFD';
    }
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            std::u16string text = textOf(converter, pair, 2);
            if (text.size() > 2) {
                text = u"\uFFFD";
            }
            const std::size_t index = (lead - 0x80) * 0x100 + trail;
            std::copy(text.begin(), text.end(), tables.textOfPair[index].begin());
            tables.lengthOfPair[index] = std::uint8_t(text.size());
        }
    }
}

} // namespace

void fillAnsiTables(CodePage::Tables& tables) {
    const Converter converter = openConverter();
    fillBytesOfUnits(converter.get(), tables);
    fillTextOfBytes(converter.get(), tables);
}

} // namespace orvanthe
