// The codec against code nobody here wrote: ICU's bulk conversion and OpenSSL's Base64.
#include "codec/class1.h"
#include "random_text.h"
#include "reference.h"

#include <gtest/gtest.h>

namespace orvanthe {
namespace {

using namespace orvanthe::test;

std::u16string beforeNul(const std::u16string& text) {
    return text.substr(0, text.find(u'\0'));
}

TEST(Differential, EncodingMatchesIcuAndOpenSsl) {
    const Class1 codec;
    RandomText random(1);
    for (int n = 0; n < 5000; ++n) {
        const std::u16string text = random.anyText(80);
        SCOPED_TRACE(testing::PrintToString(text));
        ASSERT_EQ(codec.Base64Encode(text), referenceBase64(referenceBytes(text)));
    }
}

TEST(Differential, DecodingMatchesIcuAndOpenSsl) {
    const Class1 codec;
    RandomText random(2);
    for (int n = 0; n < 5000; ++n) {
        const std::string bytes = referenceBytes(random.anyText(80));
        const std::u16string body = referenceBase64(bytes);
        SCOPED_TRACE(testing::PrintToString(body));
        const std::string decoded = referenceUnbase64(body);
        ASSERT_EQ(decoded, bytes);
        const std::string kept = decoded.substr(0, decoded.find('\0'));
        const auto expected = referenceWideUtf8(kept).value_or(referenceText(kept));
        ASSERT_EQ(beforeNul(codec.Base64Decode(body)), expected);
    }
}

TEST(Differential, EveryTwoByteCodeDecodesAsTheCodePageReadsIt) {
    const Class1 codec;
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const std::string pair = {char(lead), char(trail)};
            SCOPED_TRACE(testing::Message() << std::hex << lead << ' ' << trail);
            ASSERT_EQ(codec.Base64Decode(referenceBase64(pair)),
                      referenceText(pair) + std::u16string(2, u'\0'));
        }
    }
}

TEST(Differential, EveryCharacterEncodesAsTheCodePageHasIt) {
    const Class1 codec;
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        const std::u16string text(1, char16_t(unit));
        if (unit < 0xD800 || unit > 0xDFFF) {
            ASSERT_EQ(codec.Base64Encode(text), referenceBase64(referenceBytes(text))) << unit;
        }
    }
}

TEST(Differential, EverySingleByteDecodesToItsCharacter) {
    const Class1 codec;
    for (unsigned byte = 0; byte < 0x80; ++byte) {
        const std::string single(1, char(byte));
        ASSERT_EQ(codec.Base64Decode(referenceBase64(single)),
                  referenceText(single) + std::u16string(3, u'\0'));
    }
}

} // namespace
} // namespace orvanthe
