#include "codec/class1.h"

#include <gtest/gtest.h>
#include <string>

namespace orvanthe {
namespace {

using namespace std::string_literals;

struct Case {
    std::u16string input;
    std::u16string expected;
};

TEST(Base64Encode, EncodesTheAnsiBytesOfItsText) {
    const Case cases[] = {
        {u"", u""},
        {u"a", u"YQ=="},
        {u"ab", u"YWI="},
        {u"abc", u"YWJj"},
        {u"abcd", u"YWJjZA=="}, // the second group does not reuse "bc"
        {u"AAZZ", u"QUFaWg=="},
        {u"中", u"1tA="}, // two bytes in code page 936
        {u"€", u"gA=="},  // one byte, 0x80
        {u"é", u"qKY="},
        {u"\uE4C6", u"oUA="},  // user-defined range
        {u"😀", u"Pw=="},       // lacking in the code page: one "?" per character
        {u"\xD800x", u"P3g="}, // a lone surrogate is one "?" too
        {u"a\0b"s, u"YQBi"},
    };
    const Class1 codec;
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(input));
        EXPECT_EQ(codec.Base64Encode(input), expected);
    }
}

TEST(Base64Decode, KeepsPaddingAsZeroBytesAndAddsASpareOne) {
    const Case cases[] = {
        {u"", u"\0"s},
        {u"YWJj", u"abc\0"s},
        {u"YWI=", u"ab\0\0"s},
        {u"YQ==", u"a\0\0\0"s},
        {u"QUFaWg==", u"AAZZ\0\0\0"s},
        {u"1tA=", u"中\0\0"s},
        {u"YWJjZ", u"abc\0\0"s}, // a lone last character is ignored
        {u"YW j", u"a`#\0"s},    // outside the alphabet counts as 0
        {u"YW=j", u"a`#\0"s},
        {u"YWJjZA", u"abcd\0\0\0"s}, // an incomplete last group is read as if padded
        {u"YWJjZGU", u"abcde\0\0"s},
        {u"gA==", u"€\0\0\0"s},      // 0x80 is a character of one byte, no lead byte
        {u"5Lit5paH", u"中文\0"s},   // UTF-8 with characters of U+0800 and above
        {u"5LitAGFi", u"中\0ab\0"s}, // UTF-8 up to the first zero byte, code page after
        {u"5Lit", u"中\0"s},
    };
    const Class1 codec;
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(input));
        EXPECT_EQ(codec.Base64Decode(input), expected);
    }
}

TEST(Base64Decode, ACharacterOfOneByteAboveAsciiTakesNoTrailByte) {
    // 0x80 ("€") and 0xFF are whole characters in code page 936: the byte after either
    // begins the next character, so a Chinese character there survives the round trip.
    const Class1 codec;
    for (const std::u16string text : {u"€中", u"€€文a", u"a€b中€", u"\uF8F5中", u"€\uF8F5中"}) {
        SCOPED_TRACE(testing::PrintToString(text));
        const std::u16string decoded = codec.Base64Decode(codec.Base64Encode(text));
        EXPECT_EQ(decoded.substr(0, decoded.find(u'\0')), text);
    }
}

TEST(Base64Decode, ReadsBytesThatAreNotWideUtf8AsCodePageText) {
    const Class1 codec;
    // UTF-8 of "é" (a two-byte form), of a surrogate, an overlong "/", and a bare
    // continuation byte: none is taken as UTF-8, all walk as code page 936.
    for (const std::u16string body : {u"w6k=", u"7aCA", u"4ICv", u"gOS4rQ=="}) {
        SCOPED_TRACE(testing::PrintToString(body));
        const std::u16string text = codec.Base64Decode(body);
        EXPECT_NE(text.substr(0, 1), u"é");
        EXPECT_NE(text.find(u"中"), 0u);
    }
    // Code page text with Chinese stays code page text.
    EXPECT_EQ(codec.Base64Decode(codec.Base64Encode(u"下载中文地址")), u"下载中文地址\0"s);
}

TEST(Base64Decode, EveryLengthDecodesCompletelyWithOrWithoutPadding) {
    const Class1 codec;
    std::u16string text;
    for (int length = 0; length < 40; ++length) {
        SCOPED_TRACE(length);
        const std::u16string body = codec.Base64Encode(text);
        const std::u16string unpadded = body.substr(0, body.find(u'='));
        for (const auto& link : {body, unpadded}) {
            const std::u16string decoded = codec.Base64Decode(link);
            ASSERT_GT(decoded.size(), text.size());
            EXPECT_EQ(decoded.substr(0, text.size()), text);
            EXPECT_EQ(decoded.find_first_not_of(u'\0', text.size()), std::u16string::npos);
        }
        text.push_back(char16_t(u'!' + length * 7 % 90));
    }
}

TEST(Base64Decode, ByteCountOfTheBodyDecidesTheSize) {
    const Class1 codec;
    // A body of zero values: 4k characters give 3k + 1 zeros, 4k + 1 give 3k + 2, and
    // 4k + 2 or 4k + 3 give a completed group and a spare zero.
    for (std::size_t length = 0; length < 24; ++length) {
        SCOPED_TRACE(length);
        const std::size_t k = length / 4;
        const std::size_t expected[] = {3 * k + 1, 3 * k + 2, 3 * k + 4, 3 * k + 4};
        EXPECT_EQ(codec.Base64Decode(std::u16string(length, u'A')),
                  std::u16string(expected[length % 4], u'\0'));
    }
    // A Chinese character in a body counts as its two code page bytes.
    EXPECT_EQ(codec.Base64Decode(u"YW中"), u"a`\0\0"s);
}

} // namespace
} // namespace orvanthe
