#include "codec/utf8.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvanthe {
namespace {

std::optional<std::u16string> decode(std::string_view bytes, Utf8Forms forms = Utf8Forms::All) {
    return decodeUtf8({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, forms);
}

TEST(Utf8, DecodesWellFormedText) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"", u""},
        {"http://a.b/", u"http://a.b/"},
        {"\xC3\xA9", u"é"},
        {"\xE4\xB8\xAD\xE6\x96\x87", u"中文"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x9F\x98\x80", u"😀"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const auto& [bytes, text] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(decode(bytes), std::u16string(text));
        EXPECT_EQ(encodeUtf8(text), bytes);
    }
}

TEST(Utf8, RejectsWhatIsNotStrictUtf8) {
    for (const std::string_view bytes : {
             "\x80",             // continuation without a lead
             "\xC0\xAF",         // overlong "/"
             "\xC1\xBF",         // overlong
             "\xE0\x9F\xBF",     // overlong three-byte form
             "\xF0\x8F\xBF\xBF", // overlong four-byte form
             "\xED\xA0\x80",     // surrogate
             "\xF4\x90\x80\x80", // above U+10FFFF
             "\xF5\x80\x80\x80",
             "\xE4\xB8",     // cut short
             "\xE4\x41\xAD", // a non-continuation inside
             "\xFF",
             "\xD6\xD0", // code page 936 "中"
         }) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        EXPECT_EQ(decode(bytes), std::nullopt);
    }
}

TEST(Utf8, CanExcludeTheTwoByteForms) {
    EXPECT_EQ(decode("\xC3\xA9", Utf8Forms::WithoutTwoByte), std::nullopt);
    EXPECT_EQ(decode("a\xE4\xB8\xAD", Utf8Forms::WithoutTwoByte), u"a中");
}

TEST(Utf8, EncodesLoneSurrogatesAsReplacementCharacters) {
    EXPECT_EQ(encodeUtf8(u"a\xD800"), "a\xEF\xBF\xBD");
    EXPECT_EQ(encodeUtf8(u"\xDC00z"), "\xEF\xBF\xBDz");
}

} // namespace
} // namespace orvanthe
