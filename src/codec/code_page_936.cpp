// Code page 936 as Windows has it, built into the program: the ANSI code page off Windows.
// The tables are made by the compiler from the characters of the two-byte codes, so the
// program needs no converter at run time and its first conversion costs nothing extra.
#include "code_page.h"

namespace orvanthe {
namespace {

// The character of each two-byte code: lead bytes 0x81..0xFE, trail bytes 0x40..0x7E and
// 0x80..0xFE, 190 to a lead byte.
constexpr char16_t pairText[] =
#include "data/code_page_936.inc"
    ;
constexpr unsigned firstLead = 0x81;
constexpr unsigned trailsPerLead = 190;
static_assert(std::size(pairText) == (0xFE - firstLead + 1) * trailsPerLead + 1);

// The two bytes that stand alone above ASCII.
constexpr std::uint8_t euroByte = 0x80;
constexpr std::uint8_t lastByte = 0xFF;
constexpr char16_t lastByteText = u'\uF8F5';

constexpr bool isTrail(unsigned byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

constexpr CodePage::Tables makeTables() {
    CodePage::Tables tables{};
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        tables.bytesOfUnit[unit] = std::uint16_t(unit < 0x80 ? unit : '?');
    }
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        tables.textOfByte[byte] = byte < 0x80 ? char16_t(byte) : u'\uFFFD';
    }
    tables.textOfByte[euroByte] = u'€';
    tables.textOfByte[lastByte] = lastByteText;
    tables.bytesOfUnit[u'€'] = euroByte;
    tables.bytesOfUnit[lastByteText] = lastByte;
    tables.singleBytes[euroByte] = tables.singleBytes[lastByte] = true;

    // A byte that stands alone and the byte after it read as two characters. A lead byte and
    // a byte that is no trail byte (below 0x40, 0x7F, 0xFF) are still one code, which the code
    // page does not define: one "?", as Windows reads it.
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const std::size_t index = (lead - 0x80) * 0x100 + trail;
            if (tables.singleBytes[lead]) {
                tables.textOfPair[index] = {tables.textOfByte[lead], tables.textOfByte[trail]};
                tables.lengthOfPair[index] = 2;
                continue;
            }
            if (!isTrail(trail)) {
                tables.textOfPair[index] = {u'?', u'\0'};
                tables.lengthOfPair[index] = 1;
                continue;
            }
            const char16_t text =
                pairText[(lead - firstLead) * trailsPerLead + trail - 0x40 - (trail > 0x7F)];
            tables.textOfPair[index] = {text, u'\0'};
            tables.lengthOfPair[index] = 1;
            tables.bytesOfUnit[text] = std::uint16_t(lead << 8 | trail);
        }
    }
    CodePage::completeTables(tables);
    return tables;
}

constexpr CodePage::Tables tables = makeTables();

} // namespace

const CodePage& CodePage::builtIn936() {
    static const CodePage codePage(tables);
    return codePage;
}

#if !defined(_WIN32)
const CodePage& CodePage::ansi() {
    return builtIn936();
}
#endif

} // namespace orvanthe
