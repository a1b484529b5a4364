// The ANSI code page on Windows: the system's own, through WideCharToMultiByte and
// MultiByteToWideChar.
#include "code_page_win32.h"

#include <windows.h>

namespace orvanthe {
namespace {

constexpr std::uint16_t unmapped = u'?';
constexpr char16_t unreadable = u'\uFFFD';

void fillBytesOfUnits(UINT codePage, CodePage::Tables& tables) {
    // No best fit: a character the code page lacks becomes "?" rather than a look-alike
    // (Windows would give "a" for a full-width "ａ"), so an address never turns silently
    // into another one. "?" is named because a code page's own default may differ, and
    // whether it was used tells a lacking character from a real "?". UTF-8 and UTF-7 take
    // neither flag nor default character and lack nothing.
    const bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
    const DWORD flags = unicode ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = unicode ? nullptr : "?";

    tables.bytesOfUnit.fill(unmapped);
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            continue; // surrogates stand for no character on their own
        }
        const wchar_t text = wchar_t(unit);
        char bytes[8];
        BOOL usedDefault = FALSE;
        const int count = WideCharToMultiByte(codePage, flags, &text, 1, bytes, sizeof bytes,
                                              defaultChar, unicode ? nullptr : &usedDefault);
        if (usedDefault) {
            continue;
        }
        if (count == 1) {
            tables.bytesOfUnit[unit] = std::uint8_t(bytes[0]);
        } else if (count == 2) {
            tables.bytesOfUnit[unit] =
                std::uint16_t(std::uint8_t(bytes[0]) << 8 | std::uint8_t(bytes[1]));
        }
        // Nothing, or more than two bytes, keeps the "?".
    }
}

void fillTextOfBytes(UINT codePage, CodePage::Tables& tables) {
    // No flags: a byte sequence the code page does not define becomes whatever the system
    // substitutes, as anywhere else on the system.
    wchar_t text[8];
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        const char single = char(byte);
        const int count = MultiByteToWideChar(codePage, 0, &single, 1, text, 8);
        tables.textOfByte[byte] = count == 1 ? char16_t(text[0]) : unreadable;
    }
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        // A lead byte and any byte after it are one code: where that is no character (the
        // second byte no trail byte, a zero among them), one "?", whatever the converter
        // makes of the bytes apart, so that a text reads alike on every system.
        const bool leadByte = IsDBCSLeadByteEx(codePage, BYTE(lead));
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            int count = MultiByteToWideChar(codePage, 0, pair, 2, text, 8);
            if (leadByte && (count != 1 || text[0] == unreadable)) {
                text[0] = u'?';
                count = 1;
            } else if (count < 1 || count > 2) {
                text[0] = unreadable;
                count = 1;
            }
            const std::size_t index = (lead - 0x80) * 0x100 + trail;
            tables.textOfPair[index] = {char16_t(text[0]), count == 2 ? char16_t(text[1]) : u'\0'};
            tables.lengthOfPair[index] = std::uint8_t(count);
        }
    }
}

} // namespace

unsigned tableCodePage(unsigned ansiCodePage) {
    CPINFO info;
    if (GetCPInfo(ansiCodePage, &info) && info.MaxCharSize <= 2) {
        return ansiCodePage;
    }
    // Where the user chose UTF-8 as the ANSI code page, the links are still made and read in
    // code page 936, as on a Simplified-Chinese system: the tools that read them expect its
    // bytes, and the window gives the same links whatever that choice.
    return IsValidCodePage(936) ? 936 : ansiCodePage;
}

void fillTables(unsigned codePage, CodePage::Tables& tables) {
    fillBytesOfUnits(codePage, tables);
    fillTextOfBytes(codePage, tables);
    CodePage::completeTables(tables);
}

const CodePage& CodePage::ansi() {
    static const CodePage codePage([] {
        auto tables = std::make_unique<Tables>();
        fillTables(tableCodePage(GetACP()), *tables);
        return std::unique_ptr<const Tables>(std::move(tables));
    }());
    return codePage;
}

} // namespace orvanthe
