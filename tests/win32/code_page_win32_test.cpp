// The system's code page tables; the table of cases runs against code page 936 itself.
#include "codec/code_page_win32.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include <windows.h>

namespace orvanthe {
namespace {

CodePage codePage(unsigned number) {
    auto tables = std::make_unique<CodePage::Tables>();
    fillTables(number, *tables);
    return CodePage(std::move(tables));
}

std::vector<std::uint8_t> bytesOf(const CodePage& page, std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    page.appendBytes(text, bytes);
    return bytes;
}

std::u16string textOfPair(const CodePage& page, std::uint8_t lead, std::uint8_t trail) {
    char16_t text[2];
    return std::u16string(text, page.writePair(lead, trail, text));
}

TEST(WindowsCodePage, TheSuitesRunWithCodePage936) {
    ASSERT_EQ(GetACP(), 936u) << "run the suites with LC_ALL=zh_CN.UTF-8";
}

// Every code and every character as Windows reads and writes them: the built-in code page 936
// of the other systems is the system's own, a pair that is no character ("?") included.
TEST(WindowsCodePage, TheBuiltInCodePage936IsTheSystems) {
    const CodePage system = codePage(936);
    const CodePage& builtIn = CodePage::builtIn936();
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        ASSERT_EQ(system.bytesOfUnit(char16_t(unit)), builtIn.bytesOfUnit(char16_t(unit)))
            << std::hex << unsigned(unit);
    }
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        ASSERT_EQ(system.isSingleByte(std::uint8_t(lead)),
                  builtIn.isSingleByte(std::uint8_t(lead)));
        if (builtIn.isSingleByte(std::uint8_t(lead))) {
            EXPECT_EQ(system.textOfByte(std::uint8_t(lead)),
                      builtIn.textOfByte(std::uint8_t(lead)));
            continue;
        }
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            EXPECT_EQ(textOfPair(system, std::uint8_t(lead), std::uint8_t(trail)),
                      textOfPair(builtIn, std::uint8_t(lead), std::uint8_t(trail)))
                << std::hex << lead << " " << trail;
        }
    }
}

// An ANSI code page of characters longer than two bytes gives way to 936; a single-byte one
// reads a pair as two characters and gives "?", not a look-alike, for what it lacks.
TEST(WindowsCodePage, TablesOfOtherCodePages) {
    EXPECT_EQ(std::tuple(tableCodePage(936), tableCodePage(1252), tableCodePage(CP_UTF8)),
              std::tuple(936u, 1252u, 936u));
    const CodePage western = codePage(1252);
    EXPECT_EQ(bytesOf(western, u"é€ａ中?"), (std::vector<std::uint8_t>{0xE9, 0x80, '?', '?', '?'}));
    EXPECT_EQ(textOfPair(western, 0xE9, 'A'), u"éA");
    EXPECT_EQ(textOfPair(western, 0x80, 0x00), std::u16string(u"€\0", 2));
    const CodePage utf8 = codePage(CP_UTF8);
    EXPECT_EQ(bytesOf(utf8, u"aé中"), (std::vector<std::uint8_t>{'a', 0xC3, 0xA9, '?'}));
    EXPECT_EQ(textOfPair(utf8, 0xC3, 0xA9), u"é");
}

} // namespace
} // namespace orvanthe
