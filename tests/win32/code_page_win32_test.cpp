#include "codec/class1.h"
#include "codec/code_page_win32.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
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

TEST(WindowsCodePage, AnAnsiCodePageOfLongerCharactersGives936) {
    EXPECT_EQ(tableCodePage(936), 936u);
    EXPECT_EQ(tableCodePage(1252), 1252u);
    EXPECT_EQ(tableCodePage(CP_UTF8), 936u);
}

TEST(WindowsCodePage, ALackingCharacterIsQuestionMarkNotALookAlike) {
    const Class1 codec;
    // None is in code page 936; a best fit would give a look-alike such as "A" for "Ä".
    for (const std::u16string text : {u"Ä", u"å", u"ß", u"©"}) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(codec.Base64Encode(text), u"Pw==");
    }
    const CodePage western = codePage(1252);
    EXPECT_EQ(bytesOf(western, u"é€ａ中?"), (std::vector<std::uint8_t>{0xE9, 0x80, '?', '?', '?'}));
}

TEST(WindowsCodePage, ASingleByteCodePageReadsAPairAsTwoCharacters) {
    const CodePage western = codePage(1252);
    EXPECT_EQ(textOfPair(western, 0xE9, 'A'), u"éA");
    EXPECT_EQ(textOfPair(western, 0x80, 0x00), std::u16string(u"€\0", 2));
}

TEST(WindowsCodePage, CharactersLongerThanTwoBytesBecomeQuestionMarks) {
    const CodePage utf8 = codePage(CP_UTF8);
    EXPECT_EQ(bytesOf(utf8, u"aé中"), (std::vector<std::uint8_t>{'a', 0xC3, 0xA9, '?'}));
    EXPECT_EQ(textOfPair(utf8, 0xC3, 0xA9), u"é");
}

} // namespace
} // namespace orvanthe
