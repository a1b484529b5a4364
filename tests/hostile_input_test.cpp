// Input nobody should send, and somebody will: huge pastes, every code unit, NUL inside a
// link, bodies of junk, every body length, schemes over and over, an empty clipboard.
#include "codec/class1.h"
#include "fake_clipboard.h"
#include "form/form1.h"
#include "random_text.h"
#include "reference.h"

#include <array>
#include <gtest/gtest.h>
#include <string>

namespace orvanthe {
namespace {

using namespace std::string_literals;
using namespace orvanthe::test;

struct LinkForm {
    FieldId field;
    CommandId paste;
    CommandId copy;
    CommandId convert;
};
constexpr LinkForm linkForms[] = {
    {FieldId::Text2, CommandId::Command3, CommandId::Command4, CommandId::Command9},
    {FieldId::Text3, CommandId::Command5, CommandId::Command6, CommandId::Command10},
    {FieldId::Text4, CommandId::Command7, CommandId::Command8, CommandId::Command11},
};

class HostileInput : public ::testing::Test {
protected:
    void paste(CommandId command, std::u16string text) {
        clipboard.content = std::move(text);
        form.run(command);
    }
    const std::u16string& text(FieldId id) const { return form.text(id); }

    void expectNoFieldHoldsNul() const {
        for (std::size_t k = 0; k < fieldCount; ++k) {
            EXPECT_EQ(text(FieldId(k)).find(u'\0'), std::u16string::npos) << k;
        }
    }

    FakeClipboard clipboard;
    Form1 form{clipboard};
};

// 64 MiB of clipboard text (32 Mi UTF-16 units) pasted as the address, and each of its links,
// copied and pasted back, about 100 MiB each: nothing is cut, nothing changes.
TEST_F(HostileInput, SixtyFourMebibytesPasteIntoEachFieldWhole) {
    std::u16string block = u"http://example.com/下载/";
    RandomText random(64);
    while (block.size() < (1u << 16)) {
        block += random.address(100);
    }
    block.resize(1u << 16);
    std::u16string address;
    address.reserve(32u << 20);
    while (address.size() < (32u << 20)) {
        address += block;
    }
    ASSERT_FALSE(referenceWideUtf8(referenceBytes(block)).has_value());

    paste(CommandId::Command1, address);
    ASSERT_TRUE(text(FieldId::Text1) == address);
    const std::size_t bodySize = (referenceBytes(block).size() * 512 + 2) / 3 * 4;
    EXPECT_EQ(text(FieldId::Text4).size(), u"qqdl://"s.size() + bodySize);
    clipboard.content.clear();
    clipboard.content.shrink_to_fit();

    for (const auto& link : linkForms) {
        SCOPED_TRACE(int(link.field));
        form.run(link.copy);
        form.run(link.paste);
        EXPECT_TRUE(text(FieldId::Text1) == address);
        EXPECT_TRUE(text(link.field) == clipboard.content);
    }
}

// Each code unit alone and inside an address, surrogates included: what the code page holds
// comes back from every link, anything else comes back as one "?".
TEST_F(HostileInput, EveryCodeUnitComesBackOrBecomesAQuestionMark) {
    const Class1 codec;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const std::u16string unit(1, char16_t(code));
        const std::u16string address = u"http://a/" + unit + u".zip";
        ASSERT_EQ(codec.Base64Encode(unit), referenceBase64(referenceBytes(unit))) << code;

        paste(CommandId::Command1, address);
        const std::u16string kept = code == 0 ? u"http://a/" : address;
        ASSERT_EQ(text(FieldId::Text1), kept) << code;
        const bool held = referenceText(referenceBytes(unit)) == unit;
        const std::u16string expected = code == 0 ? kept : held ? address : u"http://a/?.zip";
        const std::array<std::u16string, 3> links = {text(FieldId::Text2), text(FieldId::Text3),
                                                     text(FieldId::Text4)};
        for (std::size_t k = 0; k < 3; ++k) {
            paste(linkForms[k].paste, links[k]);
            ASSERT_EQ(text(FieldId::Text1), expected) << code << " " << k;
        }
    }
}

TEST_F(HostileInput, SurrogatesOutOfPlaceAreOneQuestionMarkEach) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a\xD800", u"a?"},
        {u"\xDC00"
         u"a",
         u"?a"},
        {u"\xDC00\xD800", u"??"},       // reversed: two lone halves
        {u"\xD83D\xDE00", u"?"},        // a pair the code page lacks is one character
        {u"\xD800\xD800\xDC00", u"??"}, // a lone half, then a pair
        {u"中\xDBFF", u"中?"},
    };
    for (const auto& [address, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(address));
        paste(CommandId::Command1, address);
        for (const auto& link : linkForms) {
            form.run(link.copy);
            form.run(link.paste);
            EXPECT_EQ(text(FieldId::Text1), expected);
        }
    }
}

// A NUL anywhere in a pasted link: the field keeps what precedes it, and the rest of the
// conversion goes on from there as if only that part had been pasted.
TEST_F(HostileInput, NulAtEveryPositionOfALinkCutsItThere) {
    paste(CommandId::Command1, u"http://下载.example/文件 1.zip");
    const std::array<std::u16string, 3> links = {text(FieldId::Text2), text(FieldId::Text3),
                                                 text(FieldId::Text4)};
    FakeClipboard otherClipboard;
    Form1 other(otherClipboard);
    for (std::size_t k = 0; k < 3; ++k) {
        const std::u16string& link = links[k];
        for (std::size_t at = 0; at <= link.size(); ++at) {
            SCOPED_TRACE(testing::Message() << k << " at " << at);
            std::u16string withNul = link;
            withNul.insert(at, 1, u'\0');
            paste(linkForms[k].paste, withNul);
            expectNoFieldHoldsNul();

            otherClipboard.content = link.substr(0, at);
            other.run(linkForms[k].paste);
            for (const FieldId field :
                 {FieldId::Text1, FieldId::Text2, FieldId::Text3, FieldId::Text4}) {
                ASSERT_EQ(text(field), other.text(field));
            }
        }
        EXPECT_EQ(text(linkForms[k].field), link); // a NUL at the very end cut nothing
    }
}

// Characters outside the Base64 alphabet count as zero values: a body of nothing else, of any
// length, decodes to zero bytes and so to the empty address.
TEST_F(HostileInput, BodiesOutsideTheAlphabetGiveTheEmptyAddress) {
    const std::u16string_view outside[] = {u"=",  u"-", u"_",      u".",      u":",  u"%",
                                           u"中", u"😀", u"\xD800", u"\uFFFF", u"\t", u"\x7F"};
    const std::u16string_view schemes[] = {u"thunder://", u"flashget://", u"qqdl://"};
    for (std::size_t k = 0; k < 3; ++k) {
        for (const auto junk : outside) {
            for (std::size_t length = 1; length <= 9; ++length) {
                std::u16string link(schemes[k]);
                for (std::size_t n = 0; n < length; ++n) {
                    link += junk;
                }
                SCOPED_TRACE(testing::PrintToString(link));
                form.setText(FieldId::Text1, u"old");
                form.setText(linkForms[k].field, link);
                form.run(linkForms[k].convert);
                EXPECT_EQ(text(FieldId::Text1), u"");
            }
        }
    }
}

// A qqdl body cut to every length: each whole group of four gives its three bytes, a last
// group of two or three gives one or two, and at most one character more (the completed
// group's partial byte) follows; a lone last character is ignored.
TEST_F(HostileInput, BodiesOfEveryLengthDecodeAsFarAsTheyReach) {
    const std::u16string address = u"http://a.b/c.zip?q=12345";
    const std::u16string body = Class1().Base64Encode(address);
    for (std::size_t length = 0; length <= body.size(); ++length) {
        SCOPED_TRACE(length);
        form.setText(FieldId::Text4, u"qqdl://" + body.substr(0, length));
        form.run(CommandId::Command11);
        const std::size_t whole =
            length / 4 * 3 + std::array<std::size_t, 4>{0, 0, 1, 2}[length % 4];
        EXPECT_EQ(text(FieldId::Text1).substr(0, whole), address.substr(0, whole));
        EXPECT_LE(text(FieldId::Text1).size(), whole + (length % 4 >= 2));
    }
}

// A link of each form followed by one to three stray characters, for addresses whose bodies
// have every length mod 4: the address still comes first in the result.
TEST_F(HostileInput, StrayCharactersAfterALinkOfAnyLengthKeepTheAddress) {
    std::u16string address = u"http://a/";
    for (int grow = 0; grow < 8; ++grow, address += u"x") {
        paste(CommandId::Command1, address);
        const std::array<std::u16string, 3> links = {text(FieldId::Text2), text(FieldId::Text3),
                                                     text(FieldId::Text4)};
        for (std::size_t k = 0; k < 3; ++k) {
            for (const std::u16string_view stray : {u"x", u"x\r", u"xy\n", u"\r\n", u"x y"}) {
                SCOPED_TRACE(testing::PrintToString(links[k] + std::u16string(stray)));
                form.setText(linkForms[k].field, links[k] + std::u16string(stray));
                form.run(linkForms[k].convert);
                EXPECT_EQ(text(FieldId::Text1).substr(0, address.size()), address);
            }
        }
    }
}

// Every copy of a scheme, in any case and anywhere, is removed.
TEST_F(HostileInput, SchemesRepeatedAHundredThousandTimesAreAllRemoved) {
    const std::u16string_view body[] = {u"QUFodHRwOi8vYS5iL2MuemlwWlo=",
                                        u"W0ZMQVNIR0VUXWh0dHA6Ly9hLmIvYy56aXBbRkxBU0hHRVRd",
                                        u"aHR0cDovL2EuYi9jLnppcA=="};
    const std::u16string_view schemes[][3] = {{u"thunder://", u"THUNDER://", u"Thunder://"},
                                              {u"flashget://", u"FLASHGET://", u"FlashGet://"},
                                              {u"qqdl://", u"QQDL://", u"qQdL://"}};
    for (std::size_t k = 0; k < 3; ++k) {
        std::u16string link;
        for (int n = 0; n < 100'000; ++n) {
            link += schemes[k][n % 3];
        }
        const std::size_t half = link.size() / 2 / schemes[k][0].size() * schemes[k][0].size();
        link.insert(half, body[k].substr(0, 8));
        link += body[k].substr(8);
        paste(linkForms[k].paste, link);
        EXPECT_EQ(text(FieldId::Text1), u"http://a.b/c.zip") << k;

        paste(linkForms[k].paste, link.substr(0, half));
        EXPECT_EQ(text(FieldId::Text1), u"") << k;
    }
}

TEST_F(HostileInput, AnEmptyClipboardEmptiesEachFieldAndGivesTheLinksOfNothing) {
    for (const CommandId command :
         {CommandId::Command1, CommandId::Command3, CommandId::Command5, CommandId::Command7}) {
        SCOPED_TRACE(int(command));
        paste(CommandId::Command1, u"http://a.b/c.zip");
        paste(command, u"");
        EXPECT_EQ(text(FieldId::Text1), u"");
        EXPECT_EQ(text(FieldId::Text2), u"thunder://QUFaWg==");
        EXPECT_EQ(text(FieldId::Text3), u"flashget://W0ZMQVNIR0VUXVtGTEFTSEdFVF0=&velkaron777");
        EXPECT_EQ(text(FieldId::Text4), u"qqdl://");
    }
}

} // namespace
} // namespace orvanthe
